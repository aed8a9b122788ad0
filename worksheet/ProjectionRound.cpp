#include "ProjectionRound.h"

#include <algorithm>
#include <numeric>

namespace oxeln {

QuestionChoice NextChoice(QuestionChoice choice)
{
    switch (choice) {
    case QuestionChoice::All: return QuestionChoice::Ten;
    case QuestionChoice::Ten: return QuestionChoice::Twenty;
    default: return QuestionChoice::All;
    }
}

namespace {

// A uniform draw from [0, n), n >= 1, by rejection from the generator's 32
// bits: unlike std::uniform_int_distribution, whose algorithm each standard
// library chooses, it gives the same picks in every build (the browser
// edition's too) for the same seed.
std::size_t drawBelow(std::mt19937 &draws, std::size_t n)
{
    const std::uint32_t range = static_cast<std::uint32_t>(n);
    // The largest multiple of range that fits: values from there are redrawn.
    const std::uint32_t limit = static_cast<std::uint32_t>((std::uint64_t{1} << 32) / range * range - 1);
    std::uint32_t value = static_cast<std::uint32_t>(draws());
    while (value > limit)
        value = static_cast<std::uint32_t>(draws());
    return value % range;
}

} // namespace

std::vector<std::size_t> ChooseQuestions(std::size_t available, QuestionChoice choice,
                                         std::mt19937 &draws)
{
    std::vector<std::size_t> indices(available);
    std::iota(indices.begin(), indices.end(), std::size_t{0});
    if (choice == QuestionChoice::All)
        return indices;
    const std::size_t wanted = std::min(available, static_cast<std::size_t>(choice));
    // The first places of a Fisher-Yates shuffle: each pick from those left.
    for (std::size_t i = 0; i < wanted; ++i)
        std::swap(indices[i], indices[i + drawBelow(draws, available - i)]);
    indices.resize(wanted);
    return indices;
}

void ProjectionRound::start(std::vector<std::size_t> order, std::int64_t now)
{
    m_order = std::move(order);
    m_phase = m_order.empty() ? Phase::Correction : Phase::Question;
    m_position = 0;
    m_page = 0;
    m_paused = false;
    restartCountdown(now);
}

void ProjectionRound::restartCountdown(std::int64_t now)
{
    m_startedAt = now;
    m_heldElapsed = 0;
}

std::int64_t ProjectionRound::elapsed(std::int64_t now) const
{
    return m_paused ? m_heldElapsed : now - m_startedAt;
}

void ProjectionRound::setSeconds(int seconds, std::int64_t now)
{
    m_seconds = std::clamp(seconds, MinSeconds, MaxSeconds);
    restartCountdown(now);
}

void ProjectionRound::togglePause(std::int64_t now)
{
    if (m_paused) {
        m_startedAt = now - m_heldElapsed;
        m_paused = false;
    } else {
        m_heldElapsed = now - m_startedAt;
        m_paused = true;
    }
}

std::int64_t ProjectionRound::remainingMs(std::int64_t now) const
{
    return std::max<std::int64_t>(0, std::int64_t{m_seconds} * 1000 - elapsed(now));
}

double ProjectionRound::remainingFraction(std::int64_t now) const
{
    return static_cast<double>(remainingMs(now)) / (m_seconds * 1000.0);
}

void ProjectionRound::next(std::int64_t now)
{
    if (m_phase == Phase::Correction) {
        m_page = std::min(m_page + 1, m_pages - 1);
        return;
    }
    if (m_position + 1 < count()) {
        ++m_position;
    } else {
        m_phase = Phase::Correction;
        m_page = 0;
    }
    restartCountdown(now);
}

void ProjectionRound::previous(std::int64_t now)
{
    if (m_phase == Phase::Correction) {
        if (m_page > 0) {
            --m_page;
            return;
        }
        if (m_order.empty())
            return;
        m_phase = Phase::Question;
        m_position = count() - 1;
    } else if (m_position > 0) {
        --m_position;
    }
    restartCountdown(now);
}

void ProjectionRound::first(std::int64_t now)
{
    if (m_order.empty())
        return;
    m_phase = Phase::Question;
    m_position = 0;
    restartCountdown(now);
}

bool ProjectionRound::tick(std::int64_t now)
{
    if (m_paused || m_phase != Phase::Question || remainingMs(now) > 0)
        return false;
    next(now);
    return true;
}

void ProjectionRound::setCorrectionPages(int pages)
{
    m_pages = std::max(1, pages);
    m_page = std::min(m_page, m_pages - 1);
}

} // namespace oxeln
