#include "ClickRecord.h"

#include <algorithm>
#include <set>

namespace oxeln {

namespace {

// The window as a drill sees it, with every answer also written down. The
// entry is named by its index: a nested drill appends to the same list.
class RecordingHost : public DrillHost
{
public:
    RecordingHost(DrillHost &window, std::vector<RecordedDrill> &drills, std::size_t index)
        : m_window(window), m_drills(drills), m_index(index)
    {
    }

    int subjectLineCount() override { return entry().subjectLines = clamped(m_window.subjectLineCount()); }
    int answerLineCount() override { return entry().answerLines = clamped(m_window.answerLineCount()); }
    std::string title(int line) override
    {
        return entry().titles.at(static_cast<std::size_t>(line - 1)) = m_window.title(line);
    }
    bool answerKeyEnabled() override { return entry().answerKey = m_window.answerKeyEnabled(); }
    int maxValue() override { return entry().maxValue = m_window.maxValue(); }
    int lineCount() override { return entry().lineCount = m_window.lineCount(); }
    int interlineCount() override { return entry().interlineCount = m_window.interlineCount(); }
    DrillOptions drillOptions() override { return entry().options = m_window.drillOptions(); }
    void showNotice(const std::string &text) override { m_window.showNotice(text); }
    void setCounterCaption(const std::string &caption) override { m_window.setCounterCaption(caption); }
    void hidePreview() override { m_window.hidePreview(); }
    void setSubjectRtf(const DocumentRtf &rtf) override { m_window.setSubjectRtf(rtf); }
    void setAnswerRtf(const DocumentRtf &rtf) override { m_window.setAnswerRtf(rtf); }

private:
    // MetDebut tells only 0, 1 and more apart.
    static int clamped(int lines) { return std::clamp(lines, 0, 2); }
    RecordedDrill &entry() { return m_drills[m_index]; }

    DrillHost &m_window;
    std::vector<RecordedDrill> &m_drills;
    std::size_t m_index;
};

// The recorded answers given back, one drill after the other. A drill that
// ran nested in another's subject view change drew its lines after the
// other's and saw the views it recorded: run after it, it draws the same.
class ReplayHost : public DrillHost
{
public:
    explicit ReplayHost(Worksheet &worksheet) : m_worksheet(worksheet) {}

    void run(const RecordedDrill &drill)
    {
        m_current = &drill;
        // The line numbers go on from where the window's counter stood.
        if (m_worksheet.counter() > drill.counter)
            m_worksheet.resetCounter(*this);
        while (m_worksheet.counter() < drill.counter)
            m_worksheet.advanceCounter(*this);
        m_worksheet.runDrill(drill.drill, *this);
    }
    const std::string &notice() const { return m_notice; }

    int subjectLineCount() override { return m_current->subjectLines; }
    int answerLineCount() override { return m_current->answerLines; }
    std::string title(int line) override { return m_current->titles.at(static_cast<std::size_t>(line - 1)); }
    bool answerKeyEnabled() override { return m_current->answerKey; }
    int maxValue() override { return m_current->maxValue; }
    int lineCount() override { return m_current->lineCount; }
    int interlineCount() override { return m_current->interlineCount; }
    DrillOptions drillOptions() override { return m_current->options; }
    void showNotice(const std::string &text) override
    {
        if (m_notice.empty())
            m_notice = text;
    }
    void setCounterCaption(const std::string &) override {}
    void hidePreview() override {}
    void setSubjectRtf(const DocumentRtf &) override {}
    void setAnswerRtf(const DocumentRtf &) override {}

private:
    Worksheet &m_worksheet;
    const RecordedDrill *m_current = nullptr;
    std::string m_notice;
};

} // namespace

void ClickRecord::runDrill(Worksheet &worksheet, Drill drill, DrillHost &host)
{
    const std::uint32_t stateBefore = worksheet.random().state();
    const std::size_t index = m_drills.size();
    RecordedDrill entry;
    entry.drill = drill;
    entry.counter = worksheet.counter();
    m_drills.push_back(entry);
    if (index == 0)
        m_seed = stateBefore;

    RecordingHost recording(host, m_drills, index);
    worksheet.runDrill(drill, recording);

    // Both documents started afresh: nothing before this drill is left in
    // them, nor in the questions "sans doublon" avoids.
    const RecordedDrill &ran = m_drills[index];
    if (index > 0 && ran.subjectLines <= 1 && ran.answerLines <= 1 && ran.answerKey) {
        m_drills.erase(m_drills.begin(), m_drills.begin() + static_cast<std::ptrdiff_t>(index));
        m_seed = stateBefore;
    }
}

void ClickRecord::clear()
{
    m_drills.clear();
    m_seed = 0;
}

compose::ComposedWorksheet ClickRecord::replay(std::uint32_t seed) const
{
    Worksheet worksheet;
    worksheet.random().seed(seed);
    ReplayHost host(worksheet);
    for (const RecordedDrill &drill : m_drills)
        host.run(drill);
    compose::ComposedWorksheet sheet;
    sheet.referenceCode = worksheet.referenceCode();
    sheet.subject = worksheet.subject();
    sheet.answer = worksheet.answer();
    sheet.notice = host.notice();
    sheet.titles = worksheet.titles();
    sheet.questions = worksheet.questions();
    return sheet;
}

void ClickRecord::versions(int count, const std::string &codeA, const VersionTaker &take) const
{
    std::set<std::string> codes{codeA};
    for (int version = 1; version < count; ++version) {
        compose::ComposedWorksheet sheet
            = compose::drawVersion(m_seed, version, codes, [this](std::uint32_t seed) { return replay(seed); });
        if (!take(version, std::move(sheet)))
            return;
    }
}

} // namespace oxeln
