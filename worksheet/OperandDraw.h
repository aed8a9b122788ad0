#pragma once

#include "DrillOptions.h"
#include "Questions.h"
#include "RandomSource.h"

#include <cstdint>
#include <span>
#include <vector>

namespace oxeln {

// The draws of one drill under its options. Without a smallest value and a
// sign mix ("legacy"), the seven first drills draw with DrawOperand as they
// always did; otherwise, and always for the newer drills, a question draws
// the signs of all its operands at once, then each absolute value evenly
// between low() and high().
class OperandDraw
{
public:
    OperandDraw(RandomSource &random, std::int32_t maxValue, const DrillOptions &options);

    RandomSource &random() { return m_random; }
    std::int32_t maxValue() const { return m_maxValue; }
    const DrillOptions &options() const { return m_options; }
    bool legacy() const { return m_legacy; }

    // Absolute values: from the smallest value (or 1) to Max valeur, or to
    // V div 2 when no smallest value is set.
    std::int32_t low() const { return m_low; }
    std::int32_t high() const { return m_high; }

    // The signs of n operands (n <= 16), bit i set for a negative operand i.
    std::uint32_t signs(int n);
    // An absolute value from low to high.
    std::int32_t magnitude() { return between(m_low, m_high); }
    // From low to high, both included (low <= high).
    std::int32_t between(std::int32_t low, std::int32_t high);

    // Operands of the first drills: DrawOperand each when legacy, else as
    // mixed().
    void operands(std::span<std::int32_t> out);
    // Signs by the mix, then absolute values from low to high.
    void mixed(std::span<std::int32_t> out);

private:
    RandomSource &m_random;
    std::int32_t m_maxValue;
    DrillOptions m_options;
    bool m_legacy;
    std::int32_t m_low;
    std::int32_t m_high;
};

// The questions a worksheet already holds, for "sans doublon": a question is
// the same as another when its drill, operands (in order), operators and
// blank are; the writing mode does not count. Set lookups keep the work per
// question constant however long the worksheet.
class QuestionKeys
{
public:
    void clear();
    // Takes in the questions of the list not seen yet (those made while the
    // option was off), so that later drills avoid them too.
    void catchUp(const QuestionList &list);
    // Takes in a question drawn; false when an equal one was there already.
    bool add(const Question &question) { return insert(keyOf(question)); }
    // The question drawn joins the list: catchUp() will not take it in again.
    void kept() { ++m_seen; }

    static std::uint64_t keyOf(const Question &question);

private:
    // Open addressing over a power-of-two table at most half full: a lookup
    // reads one place of one array, nearly always, at any size.
    std::size_t slotOf(std::uint64_t key) const;
    bool insert(std::uint64_t key);

    std::vector<std::uint64_t> m_slots; // 0: free (keyOf never gives 0)
    std::size_t m_count = 0;
    std::size_t m_seen = 0; // questions of the list already taken in
};

// The tries of one drill at a question it has not asked yet: a bounded
// number, after which the last draw is kept and the shortage noted.
class DistinctDraws
{
public:
    static constexpr int Tries = 100;

    // keys null: repeats allowed, the first draw is always kept.
    explicit DistinctDraws(QuestionKeys *keys) : m_keys(keys) {}

    // Whether repeats are looked for at all.
    bool active() const { return m_keys != nullptr; }
    // Whether the question drawn at this attempt (0 first) is kept.
    bool accept(const Question &question, int attempt);
    bool shortage() const { return m_shortage; }

private:
    QuestionKeys *m_keys;
    bool m_shortage = false;
};

} // namespace oxeln
