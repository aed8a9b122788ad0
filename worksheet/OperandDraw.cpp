#include "OperandDraw.h"

#include "Worksheet.h"

#include <algorithm>

namespace oxeln {

OperandDraw::OperandDraw(RandomSource &random, std::int32_t maxValue, const DrillOptions &options)
    : m_random(random), m_maxValue(maxValue), m_options(options.normalized(maxValue)),
      m_legacy(m_options.smallest == 0 && m_options.signs == SignMix::Random),
      m_low(std::max<std::int32_t>(m_options.smallest, 1)),
      m_high(m_options.smallest > 0 ? maxValue : std::max<std::int32_t>(maxValue / 2, 1))
{
    m_low = std::min(m_low, m_high);
}

std::uint32_t OperandDraw::signs(int n)
{
    const std::uint32_t all = (1u << n) - 1u;
    switch (m_options.signs) {
    case SignMix::AllNegative: return all;
    case SignMix::OneNegative: return 1u + m_random.draw(all);
    default: return m_random.draw(all + 1u);
    }
}

std::int32_t OperandDraw::between(std::int32_t low, std::int32_t high)
{
    return low + static_cast<std::int32_t>(m_random.draw(static_cast<std::uint32_t>(high - low + 1)));
}

void OperandDraw::operands(std::span<std::int32_t> out)
{
    if (!m_legacy) {
        mixed(out);
        return;
    }
    for (std::int32_t &n : out)
        n = DrawOperand(m_random, m_maxValue);
}

void OperandDraw::mixed(std::span<std::int32_t> out)
{
    const std::uint32_t negative = signs(static_cast<int>(out.size()));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::int32_t m = magnitude();
        out[i] = (negative >> i & 1u) ? -m : m;
    }
}

void QuestionKeys::clear()
{
    m_slots.clear();
    m_count = 0;
    m_seen = 0;
}

void QuestionKeys::catchUp(const QuestionList &list)
{
    if (list.size() < m_seen)
        clear();
    for (; m_seen < list.size(); ++m_seen)
        insert(keyOf(list[m_seen]));
}

std::size_t QuestionKeys::slotOf(std::uint64_t key) const
{
    return static_cast<std::size_t>(key >> 7) & (m_slots.size() - 1);
}

bool QuestionKeys::insert(std::uint64_t key)
{
    if (2 * (m_count + 1) > m_slots.size()) {
        std::vector<std::uint64_t> old(std::max<std::size_t>(1024, 2 * m_slots.size()), 0);
        old.swap(m_slots);
        m_count = 0;
        for (std::uint64_t k : old) {
            if (k != 0)
                insert(k);
        }
    }
    for (std::size_t slot = slotOf(key);; slot = (slot + 1) & (m_slots.size() - 1)) {
        if (m_slots[slot] == key)
            return false;
        if (m_slots[slot] == 0) {
            m_slots[slot] = key;
            ++m_count;
            return true;
        }
    }
}

std::uint64_t QuestionKeys::keyOf(const Question &question)
{
    // splitmix64 steps over every field that tells two questions apart.
    std::uint64_t h = 0x9E3779B97F4A7C15ull * (static_cast<std::uint64_t>(question.drill) + 1);
    const auto mix = [&h](std::uint64_t value) {
        h ^= value + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        h ^= h >> 31;
    };
    std::uint64_t minus = 0;
    for (std::size_t i = 0; i < question.numbers.size(); ++i) {
        mix(static_cast<std::uint32_t>(question.numbers[i]));
        minus |= static_cast<std::uint64_t>(question.minus[i]) << i;
    }
    mix(minus | static_cast<std::uint64_t>(question.blank) << 8 | static_cast<std::uint64_t>(question.shape) << 16);
    return h == 0 ? 1 : h;
}

bool DistinctDraws::accept(const Question &question, int attempt)
{
    if (!m_keys)
        return true;
    if (!m_keys->add(question)) {
        if (attempt + 1 < Tries)
            return false;
        m_shortage = true; // the last try is kept even when it repeats
    }
    m_keys->kept();
    return true;
}

} // namespace oxeln
