#pragma once

#include "Worksheet.h"

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A worksheet made without a window, as a suite of clicks on the window's
// buttons: what the command-line composer and the browser edition share, so
// that both give the same bytes for the same seed, settings and clicks.
namespace oxeln::compose {

// Max valeur, Max quest and Interligne as the window's spin boxes hold them.
struct SpinSettings
{
    std::int32_t maxValue = 100;
    std::int32_t lineCount = 30;
    std::int32_t interlineCount = 2;

    bool operator==(const SpinSettings &) const = default;
};

// One click of the run: a drill button, or "RAZ" when drill is empty.
struct ComposeStep
{
    std::optional<Drill> drill{};
    // The spin boxes were changed before this click: the values hold from
    // this step on, instead of the options' (a page replays a teacher's
    // session this way; the command line never sets them).
    std::optional<SpinSettings> settings{};
};

// A version is named by a capital letter, so there are at most 26.
inline constexpr int MaxVersions = 26;

struct ComposeOptions
{
    std::optional<std::uint32_t> seed; // none: from the clock
    std::int32_t maxValue = 100;
    std::int32_t lineCount = 30;
    std::int32_t interlineCount = 2;
    bool answerKey = true;
    // Writing, number range, sign mix, repeats, divisions, powers, compact
    // key: every drill of the run takes them.
    DrillOptions drillOptions;
    std::array<std::string, 3> titles; // Windows-1252; the defaults unless given
    std::string format = "rtf";
    std::string outPath;
    int versions = 1; // 1 to MaxVersions: sheets "-A", "-B"... from the same clicks
    std::vector<ComposeStep> steps;

    ComposeOptions();
};

// Both documents in the worksheet markup, as the run left them, with the
// questions drawn on the last subject and the titles of its header.
struct ComposedWorksheet
{
    std::string referenceCode; // empty when no worksheet was started
    std::string subject;
    std::string answer;
    // The first notice a drill gave (Windows-1252): "sans doublon" found too
    // few different questions. Empty when none.
    std::string notice;
    std::array<std::string, 3> titles;
    std::int32_t counter = 0; // as the counter panel shows it at the end
    QuestionList questions;
};

// Runs the clicks on one worksheet with two stand-in views.
ComposedWorksheet composeWorksheet(const ComposeOptions &options);

class StandInHost;

// The same run kept open: the clicks of the options, then each further
// click as it comes, so that a front end showing the sheet as it grows pays
// for the new click only. After the same clicks it holds what
// composeWorksheet gives (which is made by one).
class ComposeSession
{
public:
    explicit ComposeSession(ComposeOptions options);
    ~ComposeSession();
    ComposeSession(const ComposeSession &) = delete;
    ComposeSession &operator=(const ComposeSession &) = delete;

    // Runs one more click; the step is not added to the options' steps.
    void click(const ComposeStep &step);

    const Worksheet &worksheet() const { return m_worksheet; }
    const std::string &notice() const;
    // The document each stand-in view holds, named by the stream of its RTF
    // (DocumentRtf::stream): a new number when the document was started
    // again, 0 while the view is empty (before the first drill, after RAZ).
    std::uint64_t subjectStream() const;
    std::uint64_t answerStream() const;

    ComposedWorksheet result() const;

private:
    ComposeOptions m_options;
    Worksheet m_worksheet;
    std::unique_ptr<StandInHost> m_host;
};

// The seed of each version: version 0 (A) takes the seed itself, so that
// one version is the worksheet of a run without --versions; the others a
// seed mixed from it, the version number and attempt, the number of the
// try (a draw whose reference code an earlier version already has is
// tried again, so that every sheet can be told apart).
std::uint32_t versionSeed(std::uint32_t seed, int version, int attempt);

// Version number version of a set drawn from seed: made from versionSeed's
// seeds by make until its reference is none of codes (a few hundred tries
// at most: 26 codes among a million), which then holds it too.
ComposedWorksheet drawVersion(std::uint32_t seed, int version, std::set<std::string> &codes,
                              const std::function<ComposedWorksheet(std::uint32_t seed)> &make);

// options.versions worksheets from the same clicks, each from its own seed.
std::vector<ComposedWorksheet> composeVersions(const ComposeOptions &options);
// The same worksheets one at a time, each handed to take as soon as it is
// made (version 0 first), so that only one need be held at once; take
// returns false to stop there.
void forEachVersion(const ComposeOptions &options, const std::function<bool(ComposedWorksheet &&sheet)> &take);

// Where version (0 for A) of count goes: PATH itself for a single version,
// else PATH with "-A", "-B"... before the extension of its file name part
// ("fiche.pdf" gives "fiche-B.pdf", "fiche" gives "fiche-B").
std::string versionPath(const std::string &path, int version, int count);

// PATH without its extension + "_Cor" + the extension ("fiche.rtf" gives
// "fiche_Cor.rtf"); only a dot in the file name part starts an extension.
std::string answerPathFor(const std::string &subjectPath);

// Milliseconds since midnight UTC, as the window seeds on activation.
std::uint32_t clockSeed();

} // namespace oxeln::compose
