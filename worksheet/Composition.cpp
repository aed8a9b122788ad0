#include "Composition.h"

#include "DefaultTitles.h"
#include "StandInView.h"

#include <chrono>
#include <set>
#include <utility>

namespace oxeln::compose {

// The window's controls, read by the drills; the titles are fixed for the run.
class StandInHost : public DrillHost
{
public:
    explicit StandInHost(const ComposeOptions &options)
        : m_options(options),
          m_settings{options.maxValue, options.lineCount, options.interlineCount}
    {
    }

    void useSettings(const SpinSettings &settings) { m_settings = settings; }

    void clearViews()
    {
        m_subjectView.clear();
        m_answerView.clear();
    }

    int subjectLineCount() override { return m_subjectView.lineCount(); }
    int answerLineCount() override { return m_answerView.lineCount(); }
    std::string title(int line) override { return m_options.titles.at(static_cast<std::size_t>(line - 1)); }
    bool answerKeyEnabled() override { return m_options.answerKey; }
    int maxValue() override { return m_settings.maxValue; }
    int lineCount() override { return m_settings.lineCount; }
    int interlineCount() override { return m_settings.interlineCount; }
    DrillOptions drillOptions() override { return m_options.drillOptions; }
    void showNotice(const std::string &text) override
    {
        if (m_notice.empty())
            m_notice = text;
    }
    const std::string &notice() const { return m_notice; }
    void setCounterCaption(const std::string &) override {}
    void hidePreview() override {}
    void setSubjectRtf(const DocumentRtf &rtf) override { m_subjectView.setRtf(rtf); }
    void setAnswerRtf(const DocumentRtf &rtf) override { m_answerView.setRtf(rtf); }
    const StandInView &subjectView() const { return m_subjectView; }
    const StandInView &answerView() const { return m_answerView; }

private:
    const ComposeOptions &m_options;
    SpinSettings m_settings;
    StandInView m_subjectView;
    StandInView m_answerView;
    std::string m_notice;
};

ComposeOptions::ComposeOptions()
    : titles{std::string(DefaultTitle1), std::string(DefaultTitle2), std::string(DefaultTitle3)}
{
}

ComposeSession::ComposeSession(ComposeOptions options)
    : m_options(std::move(options)), m_host(std::make_unique<StandInHost>(m_options))
{
    m_worksheet.random().seed(m_options.seed ? *m_options.seed : clockSeed());
    for (const ComposeStep &step : m_options.steps)
        click(step);
}

ComposeSession::~ComposeSession() = default;

void ComposeSession::click(const ComposeStep &step)
{
    if (step.settings)
        m_host->useSettings(*step.settings);
    if (step.drill) {
        m_worksheet.runDrill(*step.drill, *m_host);
    } else {
        m_host->clearViews();
        m_worksheet.resetCounter(*m_host);
    }
}

const std::string &ComposeSession::notice() const
{
    return m_host->notice();
}

std::uint64_t ComposeSession::subjectStream() const
{
    return m_host->subjectView().stream();
}

std::uint64_t ComposeSession::answerStream() const
{
    return m_host->answerView().stream();
}

ComposedWorksheet ComposeSession::result() const
{
    return {m_worksheet.referenceCode(), m_worksheet.subject(), m_worksheet.answer(), notice(), m_worksheet.titles(),
            m_worksheet.counter(), m_worksheet.questions()};
}

ComposedWorksheet composeWorksheet(const ComposeOptions &options)
{
    return ComposeSession(options).result();
}

std::uint32_t versionSeed(std::uint32_t seed, int version, int attempt)
{
    if (version == 0 && attempt == 0)
        return seed;
    // A 64-bit mix of the three (splitmix64's finaliser): neighbouring
    // seeds and versions give unrelated states.
    std::uint64_t z = (std::uint64_t(seed) << 32) | (std::uint64_t(std::uint32_t(version)) << 16)
                    | std::uint32_t(attempt);
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<std::uint32_t>(z ^ (z >> 32));
}

std::vector<ComposedWorksheet> composeVersions(const ComposeOptions &options)
{
    std::vector<ComposedWorksheet> sheets;
    forEachVersion(options, [&sheets](ComposedWorksheet &&sheet) {
        sheets.push_back(std::move(sheet));
        return true;
    });
    return sheets;
}

void forEachVersion(const ComposeOptions &options, const std::function<bool(ComposedWorksheet &&sheet)> &take)
{
    const std::uint32_t seed = options.seed ? *options.seed : clockSeed();
    std::set<std::string> codes;
    ComposeOptions one = options;
    for (int version = 0; version < options.versions; ++version) {
        ComposedWorksheet sheet = drawVersion(seed, version, codes, [&one](std::uint32_t versionSeed) {
            one.seed = versionSeed;
            return composeWorksheet(one);
        });
        if (!take(std::move(sheet)))
            return;
    }
}

ComposedWorksheet drawVersion(std::uint32_t seed, int version, std::set<std::string> &codes,
                              const std::function<ComposedWorksheet(std::uint32_t seed)> &make)
{
    ComposedWorksheet sheet;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        sheet = make(versionSeed(seed, version, attempt));
        if (sheet.referenceCode.empty() || !codes.count(sheet.referenceCode))
            break;
    }
    codes.insert(sheet.referenceCode);
    return sheet;
}

std::string versionPath(const std::string &path, int version, int count)
{
    if (count <= 1)
        return path;
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = path.size();
    return path.substr(0, dot) + "-" + char('A' + version) + path.substr(dot);
}

std::string answerPathFor(const std::string &subjectPath)
{
    const std::size_t slash = subjectPath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = subjectPath.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = subjectPath.size();
    return subjectPath.substr(0, dot) + "_Cor" + subjectPath.substr(dot);
}

std::uint32_t clockSeed()
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(ms % 86'400'000);
}

} // namespace oxeln::compose
