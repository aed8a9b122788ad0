#include "Worksheet.h"

#include "ChainDrills.h"
#include "MarkupToRtf.h"
#include "NumberFormat.h"
#include "PairedDrills.h"

#include <algorithm>

namespace oxeln {

namespace {

void appendThreeDigits(std::string &out, std::uint32_t n)
{
    out.push_back(static_cast<char>('0' + n / 100 % 10));
    out.push_back(static_cast<char>('0' + n / 10 % 10));
    out.push_back(static_cast<char>('0' + n % 10));
}

// Both headers differ only in the text between the reference code and title 1.
std::string header(const std::string &referenceCode, std::string_view afterCode, DrillHost &host)
{
    std::string out = "<arial><te=20>";
    out += referenceCode;
    out += afterCode;
    out += host.title(1);
    out += "</b><br>";
    out += host.title(2);
    out += "<br><b>";
    out += host.title(3);
    out += "</b><br><br><courier><te=18>";
    return out;
}

} // namespace

std::int32_t DrawOperand(RandomSource &random, std::int32_t maxValue)
{
    const std::int32_t half = maxValue / 2;
    for (;;) {
        const auto r = static_cast<std::int32_t>(random.draw(static_cast<std::uint32_t>(maxValue)));
        if (half != r)
            return half - r;
    }
}

std::int32_t Worksheet::DrawOperand(std::int32_t maxValue)
{
    return oxeln::DrawOperand(m_random, maxValue);
}

void Worksheet::MetDebut(DrillHost &host)
{
    if (host.subjectLineCount() <= 1) {
        const std::uint32_t a = m_random.draw(1000);
        const std::uint32_t b = m_random.draw(1000);
        std::string code = "Ref ";
        appendThreeDigits(code, a);
        code.push_back('_');
        appendThreeDigits(code, b);
        m_referenceCode = std::move(code);
        m_subject = header(m_referenceCode, " - <b>", host);
        m_questions.clear();
        m_subjectRtf.restart();
    }
    if (host.answerLineCount() <= 1 && host.answerKeyEnabled()) {
        m_answer = header(m_referenceCode, " -<b> CORRIGE - ", host);
        m_answerRtf.restart();
    }
}

void Worksheet::resetCounter(DrillHost &host)
{
    m_counter = 0;
    host.setCounterCaption("0");
}

void Worksheet::advanceCounter(DrillHost &host)
{
    ++m_counter;
    host.setCounterCaption(std::to_string(m_counter));
}

void AppendLinePrefix(std::string &out, std::int32_t counter)
{
    if (counter >= 0 && counter < 10)
        out.push_back('0');
    AppendDecimal(out, counter);
    out.push_back('/');
}

void AppendInterline(std::string &out, std::int32_t interlineCount)
{
    for (std::int32_t i = 0; i < interlineCount; ++i)
        out += "<br>";
}

std::string Worksheet::linePrefix() const
{
    std::string out;
    AppendLinePrefix(out, m_counter);
    return out;
}

DrillSettings Worksheet::readSettings(DrillHost &host)
{
    DrillSettings settings;
    // Below 2 no non-zero operand exists and the draw would never end.
    settings.maxValue = std::max<std::int32_t>(host.maxValue(), 2);
    settings.lineCount = host.lineCount();
    settings.interlineCount = host.interlineCount();
    settings.answerKey = host.answerKeyEnabled();
    return settings;
}

void Worksheet::makeLine(Drill drill, const DrillSettings &settings, DrillHost &host)
{
    std::string *answer = settings.answerKey ? &m_answer : nullptr;
    switch (drill) {
    case Drill::S1: {
        advanceCounter(host);
        const std::int32_t first = DrawOperand(settings.maxValue);
        const ChainLine line = DrawChainTail(m_random, first, false, settings.maxValue);
        AppendChainLine(line, linePrefix(), settings.interlineCount, m_subject, answer);
        m_questions.push_back(ChainQuestion(drill, line, m_counter));
        break;
    }
    case Drill::S2: {
        // S2 draws its first term before the counter moves.
        const std::int32_t first = DrawOperand(settings.maxValue);
        advanceCounter(host);
        const ChainLine line = DrawChainTail(m_random, first, true, settings.maxValue);
        AppendChainLine(line, linePrefix(), settings.interlineCount, m_subject, answer);
        m_questions.push_back(ChainQuestion(drill, line, m_counter));
        break;
    }
    default: {
        advanceCounter(host);
        const PairedLine line = DrawPairedLine(m_random, drill, settings.maxValue);
        AppendPairedLine(drill, line, linePrefix(), settings.interlineCount, m_subject, answer);
        AppendPairedQuestions(drill, line, m_counter, m_questions);
        break;
    }
    }
}

void Worksheet::makeLines(Drill drill, const DrillSettings &settings, DrillHost &host)
{
    for (std::int32_t i = 0; i < settings.lineCount; ++i)
        makeLine(drill, settings, host);
}

void Worksheet::runDrill(Drill drill, DrillHost &host)
{
    host.hidePreview();
    MetDebut(host);
    const DrillSettings settings = readSettings(host);
    makeLines(drill, settings, host);

    // Each document converts only what it gained since the last drill. The
    // subject view's change handler may run another drill inside
    // setSubjectRtf; the answer is converted only once that call is back,
    // so it includes whatever the nested drill appended.
    host.setSubjectRtf(m_subjectRtf.convert(m_subject));
    host.setAnswerRtf(m_answerRtf.convert(m_answer));
}

} // namespace oxeln
