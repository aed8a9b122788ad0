// The window-free core as the page sees it: a worksheet composed from a
// seed, settings and clicks by the composer's own session, each further
// click run on the same session; its documents as HTML to show (only what a
// click changed) and as RTF bytes to download, its questions and the
// projection's course and correction pages. Texts cross as UTF-8; the RTF
// stays the Windows-1252 bytes the composer writes.
#include "Composition.h"
#include "CorrectionGrid.h"
#include "Cp1252.h"
#include "DefaultTitles.h"
#include "DrillOptions.h"
#include "GiftQuiz.h"
#include "MarkupToHtml.h"
#include "MarkupToRtf.h"
#include "ProjectionRound.h"
#include "StudentPage.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <memory>
#include <random>

using emscripten::val;

namespace oxeln::web {

namespace {

// The spin boxes' limits: a max value below 2 would never end a draw.
compose::SpinSettings clamped(int maxValue, int lineCount, int interlineCount)
{
    return {std::clamp(maxValue, 10, 999), std::clamp(lineCount, 1, 40), std::clamp(interlineCount, 1, 5)};
}

val bytesOf(const std::string &bytes)
{
    // A copy: the view into the heap would move when memory grows.
    val view(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char *>(bytes.data())));
    return val::global("Uint8Array").new_(view);
}

std::string toUtf8(const std::string &cp1252)
{
    return Cp1252ToUtf8(cp1252);
}

const char *kindName(QuestionPart::Kind kind)
{
    switch (kind) {
    case QuestionPart::Kind::Operator: return "operator";
    case QuestionPart::Kind::Exponent: return "exponent";
    case QuestionPart::Kind::Blank: return "blank";
    case QuestionPart::Kind::Bracket: return "bracket";
    default: return "term";
    }
}

const char *styleName(CorrectionRun::Style style)
{
    switch (style) {
    case CorrectionRun::Style::Number: return "number";
    case CorrectionRun::Style::Raised: return "raised";
    case CorrectionRun::Style::Answer: return "answer";
    default: return "text";
    }
}

// The change a view needs, as { stream, keep, html } (see HtmlChange): the
// whole document when the page shows another stream than the view's (shown
// is the stream it last took, 0 for none); stream 0 and nothing when the
// view is empty.
val viewChange(GrowingHtml &growing, std::uint64_t &followed, std::uint64_t stream, const std::string &markup,
               double shown)
{
    val result = val::object();
    HtmlChange change;
    if (stream != 0) {
        if (stream != followed || shown != static_cast<double>(stream)) {
            growing.restart();
            followed = stream;
        }
        change = growing.convert(markup);
    }
    result.set("stream", val(static_cast<double>(stream)));
    result.set("keep", val(static_cast<double>(change.keep)));
    result.set("html", val(change.html));
    return result;
}

} // namespace

// Whether a title typed in the page can be written in the documents.
bool encodable(const std::string &utf8)
{
    return Utf8ToCp1252(utf8).has_value();
}

// The title a line gets unless the teacher types another; the third one,
// the instruction, follows the writing ("parentheses", "negatifs"...).
std::string defaultTitle(int line, const std::string &writing)
{
    const std::optional<Writing> w = ParseWriting(writing).value;
    const std::string_view title = line == 1 ? DefaultTitle1 : line == 2 ? DefaultTitle2
                                                                          : DefaultTitle3For(w.value_or(Writing::Parentheses));
    return Cp1252ToUtf8(title);
}

class Sheet
{
public:
    void setSeed(std::uint32_t seed) { m_options.seed = seed; }
    void setAnswerKey(bool on) { m_options.answerKey = on; }
    // False, and the title unchanged, when it holds a character that
    // Windows-1252 cannot write.
    bool setTitle(int line, const std::string &utf8)
    {
        std::optional<std::string> text = Utf8ToCp1252(utf8);
        if (!text || line < 1 || line > 3)
            return false;
        m_options.titles.at(static_cast<std::size_t>(line - 1)) = std::move(*text);
        return true;
    }
    void setSettings(int maxValue, int lineCount, int interlineCount)
    {
        const compose::SpinSettings s = clamped(maxValue, lineCount, interlineCount);
        m_options.maxValue = s.maxValue;
        m_options.lineCount = s.lineCount;
        m_options.interlineCount = s.interlineCount;
    }
    // The options every drill of the sheet takes, by the composer's names;
    // an unknown name leaves its option as it was. Numbers of 0 are unset.
    void setDrillOptions(const std::string &writing, int smallest, const std::string &signs, bool noDuplicates,
                         bool exactDivisions, int largestExponent, int largestBase, bool compactAnswer)
    {
        DrillOptions &o = m_options.drillOptions;
        o.writing = ParseWriting(writing).value.value_or(o.writing);
        o.signs = ParseSignMix(signs).value.value_or(o.signs);
        o.smallest = std::clamp(smallest, 0, SmallestLimit);
        o.noDuplicates = noDuplicates;
        o.exactDivisions = exactDivisions;
        o.largestExponent = std::clamp(largestExponent, 0, LargestExponentLimit);
        o.largestBase = std::clamp(largestBase, 0, LargestBaseLimit);
        o.compactAnswer = compactAnswer;
    }
    void clearSteps() { m_options.steps.clear(); }
    // A click on a drill button ("+", "S2"...) or "RAZ", with the spin boxes
    // as they were, kept for the next compose(); false for any other name.
    bool addStep(const std::string &name, int maxValue, int lineCount, int interlineCount)
    {
        const std::optional<compose::ComposeStep> step = stepOf(name, maxValue, lineCount, interlineCount);
        if (step)
            m_options.steps.push_back(*step);
        return step.has_value();
    }
    // The same click run at once on the sheet composed, which its options
    // otherwise leave as it is: a click costs the same at any drill.
    bool click(const std::string &name, int maxValue, int lineCount, int interlineCount)
    {
        const std::optional<compose::ComposeStep> step = stepOf(name, maxValue, lineCount, interlineCount);
        if (!step)
            return false;
        m_options.steps.push_back(*step);
        if (m_session)
            m_session->click(*step);
        else
            compose();
        return true;
    }

    // The whole sheet again, from the seed, options and clicks.
    void compose() { m_session = std::make_unique<compose::ComposeSession>(m_options); }

    std::string reference() const { return toUtf8(sheet().referenceCode()); }
    int counter() const { return sheet().counter(); }
    val subjectRtf() const { return bytesOf(MarkupToRtf(sheet().subject())); }
    val answerRtf() const { return bytesOf(MarkupToRtf(sheet().answer())); }
    // What each view must change to show its document (see viewChange).
    val subjectChange(double shown)
    {
        return viewChange(m_subjectHtml, m_subjectFollowed, session().subjectStream(), sheet().subject(), shown);
    }
    val answerChange(double shown)
    {
        return viewChange(m_answerHtml, m_answerFollowed, session().answerStream(), sheet().answer(), shown);
    }
    // The pupils' page and the Moodle quiz, as oxeln-compose writes them.
    std::string studentPage() const { return StudentPageHtml({sheet().referenceCode(), sheet().titles(), questions()}); }
    std::string giftQuiz() const { return GiftQuiz({sheet().referenceCode(), sheet().titles(), questions()}); }
    // What a drill had to say ("sans doublon" short of questions), or "".
    std::string notice() const { return toUtf8(session().notice()); }

    int questionCount() const { return static_cast<int>(questions().size()); }
    const QuestionList &questions() const { return sheet().questions(); }

private:
    static std::optional<compose::ComposeStep> stepOf(const std::string &name, int maxValue, int lineCount,
                                                      int interlineCount)
    {
        const std::optional<Drill> drill = DrillFromName(name);
        if (!drill && name != "RAZ")
            return std::nullopt;
        return compose::ComposeStep{drill, clamped(maxValue, lineCount, interlineCount)};
    }
    const compose::ComposeSession &session() const
    {
        if (!m_session)
            m_session = std::make_unique<compose::ComposeSession>(m_options);
        return *m_session;
    }
    const Worksheet &sheet() const { return session().worksheet(); }

    compose::ComposeOptions m_options;
    mutable std::unique_ptr<compose::ComposeSession> m_session;
    GrowingHtml m_subjectHtml;
    GrowingHtml m_answerHtml;
    std::uint64_t m_subjectFollowed = 0; // the stream each one converts
    std::uint64_t m_answerFollowed = 0;
};

// A projected round over its own copy of the sheet's questions: the course,
// its own draws for the "Q" choice, and the correction pages as the
// program's projection window plans them, from the widths the page gives
// the characters. Times are the page's milliseconds.
class Round
{
public:
    explicit Round(std::uint32_t seed) : m_draws(seed) {}

    void start(const Sheet &sheet, int choice, double now)
    {
        m_questions = sheet.questions();
        restart(choice, now);
    }
    // The same questions, chosen again.
    void restart(int choice, double now)
    {
        const QuestionChoice c = choice == 10 ? QuestionChoice::Ten : choice == 20 ? QuestionChoice::Twenty
                                                                                      : QuestionChoice::All;
        m_round.start(ChooseQuestions(m_questions.size(), c, m_draws), t(now));
        m_plan = CorrectionPlan();
    }
    int count() const { return m_round.count(); }
    int position() const { return m_round.position(); }
    bool correction() const { return m_round.phase() == ProjectionRound::Phase::Correction; }
    int seconds() const { return m_round.seconds(); }
    void setSeconds(int seconds, double now) { m_round.setSeconds(seconds, t(now)); }
    bool paused() const { return m_round.paused(); }
    void togglePause(double now) { m_round.togglePause(t(now)); }
    double remainingMs(double now) const { return static_cast<double>(m_round.remainingMs(t(now))); }
    double remainingFraction(double now) const { return m_round.remainingFraction(t(now)); }
    void next(double now) { m_round.next(t(now)); }
    void previous(double now) { m_round.previous(t(now)); }
    void first(double now) { m_round.first(t(now)); }
    bool tick(double now) { return m_round.tick(t(now)); }
    int correctionPages() const { return m_round.correctionPages(); }
    int correctionPage() const { return m_round.correctionPage(); }

    // The question on screen: { long, parts: [{ kind, text }] } with the
    // documents' own texts; long for a chain and for the order of
    // operations, which is as long as one.
    val question() const
    {
        const Question &question = m_questions.at(m_round.questionIndex());
        val parts = val::array();
        for (const QuestionPart &part : question.parts()) {
            val piece = val::object();
            piece.set("kind", val(kindName(part.kind)));
            piece.set("text", val(toUtf8(part.text)));
            parts.call<void>("push", piece);
        }
        val result = val::object();
        result.set("long", val(question.projectsLong()));
        result.set("parts", parts);
        return result;
    }

    // Plans the correction pages for an area: measures is { normal, raised,
    // lineHeight } (the widths of the 256 characters of documentCharacters()
    // in the correction's type and in its exponents'), geometry { width,
    // height, columnGap, rowGap }. Returns the number of pages.
    int planCorrection(const val &measures, const val &geometry)
    {
        const val normal = measures["normal"];
        const val raised = measures["raised"];
        TextMeasures widths;
        for (std::size_t byte = 0; byte < 256; ++byte) {
            widths.normal[byte] = normal[byte].as<double>();
            widths.raised[byte] = raised[byte].as<double>();
        }
        widths.lineHeight = measures["lineHeight"].as<double>();
        CorrectionGeometry area;
        area.width = geometry["width"].as<double>();
        area.height = geometry["height"].as<double>();
        area.columnGap = geometry["columnGap"].as<double>();
        area.rowGap = geometry["rowGap"].as<double>();
        m_plan = CorrectionPlan(m_questions, m_round.order(), widths, area);
        m_round.setCorrectionPages(m_plan.pageCount());
        return m_plan.pageCount();
    }
    // A planned page: { first, count, columns, lines, cellWidth, cellHeight }.
    val correctionPlan(int index) const
    {
        const CorrectionPage &page = m_plan.page(index);
        val result = val::object();
        result.set("first", val(static_cast<double>(page.first)));
        result.set("count", val(static_cast<double>(page.count)));
        result.set("columns", val(page.columns));
        result.set("lines", val(page.lines));
        result.set("cellWidth", val(m_plan.geometry().columnWidth(page.columns)));
        result.set("cellHeight", val(page.lines * m_plan.measures().lineHeight));
        return result;
    }
    // The items of a page, laid out: [{ number, x, y, runs: [{ style, text,
    // line, x, width }] }], x and y from the area's top left, a run's x from
    // its item's; a line's leading blank is already left out of its text.
    val correctionItems(int index) const
    {
        val items = val::array();
        for (const PlannedItem &planned : m_plan.items(index)) {
            val laidOut = val::array();
            for (const PlacedRun &placed : planned.placed) {
                const CorrectionRun &run = planned.runs.at(placed.run);
                val piece = val::object();
                piece.set("style", val(styleName(run.style)));
                piece.set("text", val(toUtf8(placed.dropsBlank ? run.text.substr(1) : run.text)));
                piece.set("line", val(placed.line));
                piece.set("x", val(placed.x));
                piece.set("width", val(placed.width));
                laidOut.call<void>("push", piece);
            }
            val item = val::object();
            item.set("number", val(static_cast<double>(planned.number)));
            item.set("x", val(planned.at.x));
            item.set("y", val(planned.at.y));
            item.set("runs", laidOut);
            items.call<void>("push", item);
        }
        return items;
    }

private:
    static std::int64_t t(double now) { return static_cast<std::int64_t>(now); }

    QuestionList m_questions;
    ProjectionRound m_round;
    std::mt19937 m_draws;
    CorrectionPlan m_plan;
};

// The characters the documents' 256 bytes stand for, for the page to
// measure them as it draws them.
val documentCharacters()
{
    val characters = val::array();
    for (int byte = 0; byte < 256; ++byte)
        characters.call<void>("push", val(toUtf8(std::string(1, static_cast<char>(byte)))));
    return characters;
}

} // namespace oxeln::web

EMSCRIPTEN_BINDINGS(oxeln)
{
    using namespace oxeln::web;
    emscripten::function("encodable", &encodable);
    emscripten::function("defaultTitle", &defaultTitle);
    emscripten::function("documentCharacters", &documentCharacters);
    emscripten::class_<Sheet>("Sheet")
        .constructor<>()
        .function("setSeed", &Sheet::setSeed)
        .function("setAnswerKey", &Sheet::setAnswerKey)
        .function("setTitle", &Sheet::setTitle)
        .function("setSettings", &Sheet::setSettings)
        .function("setDrillOptions", &Sheet::setDrillOptions)
        .function("clearSteps", &Sheet::clearSteps)
        .function("addStep", &Sheet::addStep)
        .function("click", &Sheet::click)
        .function("compose", &Sheet::compose)
        .function("reference", &Sheet::reference)
        .function("counter", &Sheet::counter)
        .function("subjectRtf", &Sheet::subjectRtf)
        .function("answerRtf", &Sheet::answerRtf)
        .function("subjectChange", &Sheet::subjectChange)
        .function("answerChange", &Sheet::answerChange)
        .function("studentPage", &Sheet::studentPage)
        .function("giftQuiz", &Sheet::giftQuiz)
        .function("notice", &Sheet::notice)
        .function("questionCount", &Sheet::questionCount);
    emscripten::class_<Round>("Round")
        .constructor<std::uint32_t>()
        .function("start", &Round::start)
        .function("restart", &Round::restart)
        .function("count", &Round::count)
        .function("position", &Round::position)
        .function("question", &Round::question)
        .function("correction", &Round::correction)
        .function("seconds", &Round::seconds)
        .function("setSeconds", &Round::setSeconds)
        .function("paused", &Round::paused)
        .function("togglePause", &Round::togglePause)
        .function("remainingMs", &Round::remainingMs)
        .function("remainingFraction", &Round::remainingFraction)
        .function("next", &Round::next)
        .function("previous", &Round::previous)
        .function("first", &Round::first)
        .function("tick", &Round::tick)
        .function("correctionPages", &Round::correctionPages)
        .function("correctionPage", &Round::correctionPage)
        .function("planCorrection", &Round::planCorrection)
        .function("correctionPlan", &Round::correctionPlan)
        .function("correctionItems", &Round::correctionItems);
}
