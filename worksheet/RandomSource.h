#pragma once

#include <cstdint>

namespace oxeln {

// The one 32-bit linear congruential generator all drills share.
class RandomSource
{
public:
    explicit RandomSource(std::uint32_t seed = 0) : m_state(seed) {}

    void seed(std::uint32_t seed) { m_state = seed; }
    std::uint32_t state() const { return m_state; }

    // Uniform draw from [0, n), n >= 1: advance, then the high half of state * n.
    std::uint32_t draw(std::uint32_t n)
    {
        m_state = m_state * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_state) * n) >> 32);
    }

private:
    std::uint32_t m_state;
};

} // namespace oxeln
