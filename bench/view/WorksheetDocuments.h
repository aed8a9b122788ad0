#pragma once

#include <QByteArray>

namespace oxeln::bench {

struct WorksheetRtf
{
    QByteArray subject;
    QByteArray answer;
};

// A worksheet made by the real drill code: drills chained, each of 40
// question lines with two interline breaks, drill kinds in turn; the RTF of
// both documents after the last drill.
WorksheetRtf chainedWorksheet(int drills);

} // namespace oxeln::bench
