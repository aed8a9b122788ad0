// The window-free core as the page sees it: a worksheet composed from a
// seed, settings and clicks by the composer's own composeWorksheet, its
// documents as HTML to show and as RTF bytes to download, its questions and
// the projection's course. Texts cross as UTF-8; the RTF stays the
// Windows-1252 bytes the composer writes.
#include "Composition.h"
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
    // as they were; false for any other name.
    bool addStep(const std::string &name, int maxValue, int lineCount, int interlineCount)
    {
        const std::optional<Drill> drill = DrillFromName(name);
        if (!drill && name != "RAZ")
            return false;
        m_options.steps.push_back({drill, clamped(maxValue, lineCount, interlineCount)});
        return true;
    }

    void compose() { m_sheet = compose::composeWorksheet(m_options); }

    std::string reference() const { return Cp1252ToUtf8(m_sheet.referenceCode); }
    int counter() const { return m_sheet.counter; }
    val subjectRtf() const { return bytesOf(MarkupToRtf(m_sheet.subject)); }
    val answerRtf() const { return bytesOf(MarkupToRtf(m_sheet.answer)); }
    std::string subjectHtml() const { return MarkupToHtml(m_sheet.subject); }
    std::string answerHtml() const { return MarkupToHtml(m_sheet.answer); }
    // The pupils' page and the Moodle quiz, as oxeln-compose writes them.
    std::string studentPage() const { return StudentPageHtml({m_sheet.referenceCode, m_sheet.titles, m_sheet.questions}); }
    std::string giftQuiz() const { return GiftQuiz({m_sheet.referenceCode, m_sheet.titles, m_sheet.questions}); }
    // What a drill had to say ("sans doublon" short of questions), or "".
    std::string notice() const { return Cp1252ToUtf8(m_sheet.notice); }

    int questionCount() const { return static_cast<int>(m_sheet.questions.size()); }
    // { chain, parts: [{ kind, text }], answer } with the documents' own texts.
    val question(int index) const
    {
        const Question question = m_sheet.questions.at(static_cast<std::size_t>(index));
        val parts = val::array();
        for (const QuestionPart &part : question.parts()) {
            val piece = val::object();
            piece.set("kind", val(kindName(part.kind)));
            piece.set("text", val(Cp1252ToUtf8(part.text)));
            parts.call<void>("push", piece);
        }
        val result = val::object();
        result.set("chain", val(question.isChain()));
        result.set("parts", parts);
        result.set("answer", val(Cp1252ToUtf8(question.answer())));
        return result;
    }

private:
    compose::ComposeOptions m_options;
    compose::ComposedWorksheet m_sheet;
};

// A projected round: the course and its own draws for the "Q" choice.
// Times are the page's milliseconds.
class Round
{
public:
    explicit Round(std::uint32_t seed) : m_draws(seed) {}

    void start(int available, int choice, double now)
    {
        const QuestionChoice c = choice == 10 ? QuestionChoice::Ten : choice == 20 ? QuestionChoice::Twenty
                                                                                      : QuestionChoice::All;
        m_round.start(ChooseQuestions(static_cast<std::size_t>(std::max(0, available)), c, m_draws), t(now));
    }
    int count() const { return m_round.count(); }
    int position() const { return m_round.position(); }
    int questionIndex() const { return static_cast<int>(m_round.questionIndex()); }
    int orderAt(int place) const { return static_cast<int>(m_round.order().at(static_cast<std::size_t>(place))); }
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
    void setCorrectionPages(int pages) { m_round.setCorrectionPages(pages); }
    int correctionPages() const { return m_round.correctionPages(); }
    int correctionPage() const { return m_round.correctionPage(); }

private:
    static std::int64_t t(double now) { return static_cast<std::int64_t>(now); }

    ProjectionRound m_round;
    std::mt19937 m_draws;
};

} // namespace oxeln::web

EMSCRIPTEN_BINDINGS(oxeln)
{
    using namespace oxeln::web;
    emscripten::function("encodable", &encodable);
    emscripten::function("defaultTitle", &defaultTitle);
    emscripten::class_<Sheet>("Sheet")
        .constructor<>()
        .function("setSeed", &Sheet::setSeed)
        .function("setAnswerKey", &Sheet::setAnswerKey)
        .function("setTitle", &Sheet::setTitle)
        .function("setSettings", &Sheet::setSettings)
        .function("setDrillOptions", &Sheet::setDrillOptions)
        .function("clearSteps", &Sheet::clearSteps)
        .function("addStep", &Sheet::addStep)
        .function("compose", &Sheet::compose)
        .function("reference", &Sheet::reference)
        .function("counter", &Sheet::counter)
        .function("subjectRtf", &Sheet::subjectRtf)
        .function("answerRtf", &Sheet::answerRtf)
        .function("subjectHtml", &Sheet::subjectHtml)
        .function("answerHtml", &Sheet::answerHtml)
        .function("studentPage", &Sheet::studentPage)
        .function("giftQuiz", &Sheet::giftQuiz)
        .function("notice", &Sheet::notice)
        .function("questionCount", &Sheet::questionCount)
        .function("question", &Sheet::question);
    emscripten::class_<Round>("Round")
        .constructor<std::uint32_t>()
        .function("start", &Round::start)
        .function("count", &Round::count)
        .function("position", &Round::position)
        .function("questionIndex", &Round::questionIndex)
        .function("orderAt", &Round::orderAt)
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
        .function("setCorrectionPages", &Round::setCorrectionPages)
        .function("correctionPages", &Round::correctionPages)
        .function("correctionPage", &Round::correctionPage);
}
