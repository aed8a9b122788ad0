#pragma once

#include "Composition.h"
#include "Drill.h"
#include "DrillHost.h"
#include "DrillOptions.h"
#include "Worksheet.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace oxeln {

// What one drill read from its window as it ran: enough to run it again
// without the window and draw the same lines from the same random state.
struct RecordedDrill
{
    Drill drill = Drill::Plus;
    // The question counter before it ran ("RAZ" sets it back to 0).
    std::int32_t counter = 0;
    // What the views told MetDebut: 0, 1, or 2 for more.
    int subjectLines = 1;
    int answerLines = 1;
    std::array<std::string, 3> titles; // those the headers took, if any
    bool answerKey = true;
    std::int32_t maxValue = 100;
    std::int32_t lineCount = 30;
    std::int32_t interlineCount = 2;
    DrillOptions options;
};

// The drills of a worksheet since it began, each with what it read, so that
// the same clicks can be drawn again from other seeds: the worksheet's
// versions B, C... A click that starts both documents afresh (after "RAZ",
// or with both views emptied) forgets the clicks before it, which no
// longer count in either document.
class ClickRecord
{
public:
    // Runs the drill on the worksheet for the host, as Worksheet::runDrill
    // does, and records it. A drill may run from inside another (the host's
    // subject view change processes queued clicks): it is recorded after
    // it, which is the order in which their lines were drawn, and what the
    // views told it is what it gets again.
    void runDrill(Worksheet &worksheet, Drill drill, DrillHost &host);

    bool empty() const { return m_drills.empty(); }
    const std::vector<RecordedDrill> &drills() const { return m_drills; }
    // The random state before the first recorded drill.
    std::uint32_t seed() const { return m_seed; }
    void clear();

    // The worksheet the recorded drills make from seed. From seed() it is
    // the worksheet as the window has it, unless the window re-seeded its
    // source between two of them.
    compose::ComposedWorksheet replay(std::uint32_t seed) const;

    // Versions 1 to count - 1 (B, C...) of the worksheet whose version A
    // has codeA as its reference code: each from the composer's version
    // seed of seed(), drawn again while its reference code is one an earlier
    // version has, so that they are the composer's versions of the same
    // clicks and settings. Each is handed to take as soon as it is made,
    // so that only one need be held at once; take returns false to stop.
    using VersionTaker = std::function<bool(int version, compose::ComposedWorksheet &&sheet)>;
    void versions(int count, const std::string &codeA, const VersionTaker &take) const;

private:
    std::vector<RecordedDrill> m_drills;
    std::uint32_t m_seed = 0;
};

} // namespace oxeln
