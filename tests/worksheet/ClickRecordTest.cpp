#include "ClickRecord.h"
#include "FakeHost.h"

#include <gtest/gtest.h>

#include <random>

using namespace oxeln;
using oxeln::test::FakeHost;

// A teacher's session: settings and options changed between clicks, clicks
// queued while a drill runs (nested in its subject view change), a view
// emptied by hand, "RAZ", the answer key switched. Whatever happened, the
// record's replay from its seed is the worksheet as it stands.
TEST(ClickRecord, ReplayGivesTheWorksheetAfterAnySession)
{
    for (std::uint32_t session = 0; session < 300; ++session) {
        std::mt19937 random(session);
        const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        Worksheet worksheet;
        worksheet.random().seed(session * 7919u);
        FakeHost host;
        ClickRecord record;
        const auto click = [&] {
            host.maxV = 10 + pick(990);
            host.lines = 1 + pick(4);
            host.interline = 1 + pick(3);
            host.answerKey = pick(8) != 0;
            host.titles[0] = "T" + std::to_string(pick(100));
            host.options = {};
            host.options.writing = static_cast<Writing>(pick(3));
            host.options.signs = static_cast<SignMix>(pick(3));
            host.options.smallest = pick(3) == 0 ? 1 + pick(host.maxV) : 0;
            host.options.noDuplicates = pick(2) == 0;
            host.options.exactDivisions = pick(2) == 0;
            host.options.compactAnswer = pick(4) == 0;
            return AllDrills[static_cast<std::size_t>(pick(static_cast<int>(AllDrills.size())))];
        };
        for (int step = 0; step < 12; ++step) {
            switch (pick(10)) {
            case 0: // "RAZ"
                host.clearViews();
                worksheet.resetCounter(host);
                break;
            case 1: // the subject, or the answer key, emptied by hand
                (pick(2) ? host.subjectLines : host.answerLines) = 0;
                break;
            case 2: { // a click queued during the drill, maybe one more inside it
                const Drill outer = click();
                const bool twice = pick(3) == 0;
                host.onSubjectChange = [&, twice] {
                    if (twice)
                        host.onSubjectChange = [&] { record.runDrill(worksheet, click(), host); };
                    record.runDrill(worksheet, click(), host);
                };
                record.runDrill(worksheet, outer, host);
                break;
            }
            default:
                record.runDrill(worksheet, click(), host);
            }
        }
        if (record.empty())
            continue;
        const auto again = record.replay(record.seed());
        ASSERT_EQ(again.referenceCode, worksheet.referenceCode()) << "session " << session;
        ASSERT_EQ(again.subject, worksheet.subject()) << "session " << session;
        ASSERT_EQ(again.answer, worksheet.answer()) << "session " << session;
    }
}

// After "RAZ" the record keeps only the new worksheet's clicks.
TEST(ClickRecord, NewWorksheetForgetsTheOldClicks)
{
    Worksheet worksheet;
    FakeHost host;
    host.lines = 2;
    ClickRecord record;
    record.runDrill(worksheet, Drill::Plus, host);
    record.runDrill(worksheet, Drill::Mult, host);
    EXPECT_EQ(record.drills().size(), 2u);
    host.clearViews();
    worksheet.resetCounter(host);
    const std::uint32_t state = worksheet.random().state();
    record.runDrill(worksheet, Drill::Compare, host);
    ASSERT_EQ(record.drills().size(), 1u);
    EXPECT_EQ(record.drills()[0].drill, Drill::Compare);
    EXPECT_EQ(record.seed(), state);
    // Emptying only the subject keeps them: the answer key goes on.
    host.subjectLines = 0;
    record.runDrill(worksheet, Drill::Plus, host);
    EXPECT_EQ(record.drills().size(), 2u);
}
