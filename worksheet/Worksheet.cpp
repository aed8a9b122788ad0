#include "Worksheet.h"

#include "BlankDrills.h"
#include "ChainDrills.h"
#include "Expression.h"
#include "MarkupToRtf.h"
#include "NumberFormat.h"
#include "PairedDrills.h"

#include <algorithm>
#include <optional>
#include <utility>

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
        m_titles = {host.title(1), host.title(2), host.title(3)};
        m_questions.clear();
        m_keys.clear();
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
    settings.options = host.drillOptions().normalized(settings.maxValue);
    return settings;
}

void Worksheet::makeLine(Drill drill, const DrillSettings &settings, DrillHost &host, OperandDraw &draw,
                         DistinctDraws &distinct)
{
    std::string *answer = settings.answerKey ? &m_answer : nullptr;
    const Writing writing = settings.options.writing;
    const LineStyle style{writing, settings.interlineCount,
                          settings.options.compactAnswer ? 0 : settings.interlineCount};
    // Each question is drawn again while it repeats one already asked.
    const auto distinctDraw = [&distinct](auto drawOne, auto questionOf) {
        if (!distinct.active())
            return drawOne();
        for (int attempt = 0;; ++attempt) {
            auto drawn = drawOne();
            if (distinct.accept(questionOf(drawn), attempt))
                return drawn;
        }
    };
    switch (drill) {
    case Drill::S1:
    case Drill::S2: {
        // S2 draws its first term before the counter moves.
        std::optional<std::int32_t> first;
        if (drill == Drill::S2 && draw.legacy())
            first = DrawOperand(settings.maxValue);
        advanceCounter(host);
        const ChainLine line = distinctDraw(
            [&] { return DrawChain(draw, drill == Drill::S2, std::exchange(first, std::nullopt)); },
            [&](const ChainLine &l) { return ChainQuestion(drill, l, m_counter, writing); });
        AppendChainLine(line, linePrefix(), style, m_subject, answer);
        m_questions.push_back(ChainQuestion(drill, line, m_counter, writing));
        break;
    }
    case Drill::MissingPlus:
    case Drill::MissingMinus:
    case Drill::MissingMult:
    case Drill::MissingDivide: {
        advanceCounter(host);
        MissingTermLine line;
        for (std::size_t k = 0; k < line.size(); ++k) {
            const auto place = static_cast<std::int32_t>(k) + 1;
            line[k] = distinctDraw([&] { return DrawMissingTerm(draw, drill); },
                                   [&](const MissingTerm &t) { return MissingTermQuestion(drill, t, m_counter, place, writing); });
        }
        AppendMissingTermLine(drill, line, linePrefix(), style, m_subject, answer);
        for (std::size_t k = 0; k < line.size(); ++k)
            m_questions.push_back(MissingTermQuestion(drill, line[k], m_counter, static_cast<std::int32_t>(k) + 1, writing));
        break;
    }
    case Drill::Compare: {
        advanceCounter(host);
        ComparisonLine line;
        for (std::size_t k = 0; k < line.size(); ++k) {
            const auto place = static_cast<std::int32_t>(k) + 1;
            line[k] = distinctDraw([&] { return DrawComparison(draw); },
                                   [&](const Comparison &c) { return ComparisonQuestion(c, m_counter, place, writing); });
        }
        AppendComparisonLine(line, linePrefix(), style, m_subject, answer);
        for (std::size_t k = 0; k < line.size(); ++k)
            m_questions.push_back(ComparisonQuestion(line[k], m_counter, static_cast<std::int32_t>(k) + 1, writing));
        break;
    }
    case Drill::P1:
    case Drill::P2: {
        advanceCounter(host);
        const Expression expression =
            distinctDraw([&] { return DrawExpression(draw, drill); },
                         [&](const Expression &e) { return ExpressionQuestion(drill, e, m_counter, writing); });
        AppendExpressionLine(drill, expression, linePrefix(), style, m_subject, answer);
        m_questions.push_back(ExpressionQuestion(drill, expression, m_counter, writing));
        break;
    }
    default: {
        advanceCounter(host);
        PairedLine line;
        for (std::size_t k = 0; k < line.size(); ++k) {
            const auto place = static_cast<std::int32_t>(k) + 1;
            line[k] = distinctDraw([&] { return DrawPairedQuestion(draw, drill); },
                                   [&](const PairedQuestion &q) { return PairedQuestionOf(drill, q, m_counter, place, writing); });
        }
        AppendPairedLine(drill, line, linePrefix(), style, m_subject, answer);
        AppendPairedQuestions(drill, line, m_counter, m_questions, writing);
        break;
    }
    }
}

bool Worksheet::makeLines(Drill drill, const DrillSettings &settings, DrillHost &host)
{
    OperandDraw draw(m_random, settings.maxValue, settings.options);
    QuestionKeys *keys = nullptr;
    if (settings.options.noDuplicates) {
        m_keys.catchUp(m_questions);
        keys = &m_keys;
    }
    DistinctDraws distinct(keys);
    for (std::int32_t i = 0; i < settings.lineCount; ++i)
        makeLine(drill, settings, host, draw, distinct);
    return !distinct.shortage();
}

void Worksheet::runDrill(Drill drill, DrillHost &host)
{
    host.hidePreview();
    MetDebut(host);
    const DrillSettings settings = readSettings(host);
    const bool enough = makeLines(drill, settings, host);

    // Each document converts only what it gained since the last drill. The
    // subject view's change handler may run another drill inside
    // setSubjectRtf; the answer is converted only once that call is back,
    // so it includes whatever the nested drill appended.
    host.setSubjectRtf(m_subjectRtf.convert(m_subject));
    host.setAnswerRtf(m_answerRtf.convert(m_answer));
    if (!enough)
        host.showNotice(std::string(NotEnoughQuestionsNotice()));
}

} // namespace oxeln
