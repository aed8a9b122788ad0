#include "WorksheetDocuments.h"

#include "DefaultTitles.h"
#include "DrillHost.h"
#include "MarkupToRtf.h"
#include "Worksheet.h"

namespace oxeln::bench {

namespace {

// Stands in for the window: views that count as empty only before the first drill.
class Host : public DrillHost
{
public:
    int subjectLineCount() override { return m_subject.empty() ? 0 : 2; }
    int answerLineCount() override { return m_answer.empty() ? 0 : 2; }
    std::string title(int line) override
    {
        return std::string(line == 1 ? DefaultTitle1 : line == 2 ? DefaultTitle2 : DefaultTitle3);
    }
    bool answerKeyEnabled() override { return true; }
    int maxValue() override { return 100; }
    int lineCount() override { return 40; }
    int interlineCount() override { return 2; }
    void setCounterCaption(const std::string &) override {}
    void hidePreview() override {}
    void setSubjectRtf(const DocumentRtf &rtf) override { m_subject = WholeRtf(rtf); }
    void setAnswerRtf(const DocumentRtf &rtf) override { m_answer = WholeRtf(rtf); }

    std::string m_subject;
    std::string m_answer;
};

} // namespace

WorksheetRtf chainedWorksheet(int drills)
{
    static constexpr Drill kinds[] = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Divide,
                                      Drill::Power, Drill::S1, Drill::S2};
    Worksheet sheet;
    sheet.random().seed(12345);
    Host host;
    for (int i = 0; i < drills; ++i)
        sheet.runDrill(kinds[i % 7], host);
    return {QByteArray::fromStdString(host.m_subject), QByteArray::fromStdString(host.m_answer)};
}

} // namespace oxeln::bench
