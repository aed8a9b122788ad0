#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace oxeln {

// Which questions of the worksheet a round projects. The value is the number
// drawn at random, 0 for all of them in the worksheet's order.
enum class QuestionChoice { All = 0, Ten = 10, Twenty = 20 };

// The choice after this one, as the "Q" key cycles them.
QuestionChoice NextChoice(QuestionChoice choice);

// Indices into a list of available questions: all in order, or as many as
// the choice says (all when fewer are available) drawn without repetition,
// in the order drawn. draws is the round's own generator, never the
// worksheet's random source.
std::vector<std::size_t> ChooseQuestions(std::size_t available, QuestionChoice choice,
                                         std::mt19937 &draws);

// The course of a projected round: questions one at a time with a countdown,
// then the correction pages. Times are milliseconds of the caller's clock,
// passed in, so that the round is driven without waiting.
class ProjectionRound
{
public:
    static constexpr int DefaultSeconds = 20;
    static constexpr int MinSeconds = 5;
    static constexpr int MaxSeconds = 120;
    static constexpr int SecondsStep = 5;

    enum class Phase { Question, Correction };

    // The first question, its countdown running (or held when paused).
    void start(std::vector<std::size_t> order, std::int64_t now);

    const std::vector<std::size_t> &order() const { return m_order; }
    int count() const { return static_cast<int>(m_order.size()); }
    // 0-based place of the current question in the round.
    int position() const { return m_position; }
    // Index in the worksheet's list of the question on screen.
    std::size_t questionIndex() const { return m_order.at(static_cast<std::size_t>(m_position)); }
    Phase phase() const { return m_phase; }

    int seconds() const { return m_seconds; }
    // Clamped to MinSeconds..MaxSeconds; the current countdown starts again
    // with the new length.
    void setSeconds(int seconds, std::int64_t now);

    bool paused() const { return m_paused; }
    void togglePause(std::int64_t now);

    std::int64_t remainingMs(std::int64_t now) const;
    // Remaining part of the countdown, from 1 (just started) to 0.
    double remainingFraction(std::int64_t now) const;

    // Forward: next question, the correction after the last, the next page
    // there. Back: previous question, the last question from the first
    // correction page. First: question 1.
    void next(std::int64_t now);
    void previous(std::int64_t now);
    void first(std::int64_t now);

    // Moves on when the countdown has run out. Does nothing while paused or
    // during the correction. Returns whether it moved.
    bool tick(std::int64_t now);

    // The correction's pages depend on the screen: the window tells how many
    // there are whenever it lays them out; the current page stays in range.
    void setCorrectionPages(int pages);
    int correctionPages() const { return m_pages; }
    int correctionPage() const { return m_page; }

private:
    void restartCountdown(std::int64_t now);
    std::int64_t elapsed(std::int64_t now) const;

    std::vector<std::size_t> m_order;
    int m_position = 0;
    Phase m_phase = Phase::Question;
    int m_seconds = DefaultSeconds;
    bool m_paused = false;
    std::int64_t m_startedAt = 0;     // running: when the countdown began
    std::int64_t m_heldElapsed = 0;   // paused: time already spent
    int m_pages = 1;
    int m_page = 0;
};

} // namespace oxeln
