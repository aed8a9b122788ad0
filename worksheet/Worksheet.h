#pragma once

#include "DrillHost.h"
#include "RandomSource.h"

#include <cstdint>
#include <string>

namespace oxeln {

// The seven buttons that compose questions.
enum class Drill { Plus, Minus, Mult, Power, Divide, S1, S2 };

// The worksheet state of one run: reference code, both documents in the
// worksheet markup, the question counter, and the random source that every
// draw takes from.
class Worksheet
{
public:
    Worksheet() = default;

    RandomSource &random() { return m_random; }

    const std::string &referenceCode() const { return m_referenceCode; }
    const std::string &subject() const { return m_subject; }
    const std::string &answer() const { return m_answer; }
    std::int32_t counter() const { return m_counter; }

    // Starts a new subject and/or answer document for each view holding at
    // most one line.
    void MetDebut(DrillHost &host);
    // "RAZ": counter back to 0, "0" shown; documents untouched.
    void resetCounter(DrillHost &host);
    // The drill frame around one button's question lines.
    void runDrill(Drill drill, DrillHost &host);

    // Non-zero draw between (V div 2) - V + 1 and V div 2; V must be >= 2.
    std::int32_t DrawOperand(std::int32_t maxValue);

private:
    RandomSource m_random;
    std::string m_referenceCode;
    std::string m_subject;
    std::string m_answer;
    std::int32_t m_counter = 0;
};

} // namespace oxeln
