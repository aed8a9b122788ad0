#pragma once

#include "Drill.h"
#include "DrillHost.h"
#include "DrillOptions.h"
#include "MarkupToRtf.h"
#include "OperandDraw.h"
#include "Questions.h"
#include "RandomSource.h"

#include <array>
#include <cstdint>
#include <string>

namespace oxeln {

// What a drill reads from the window once, at its start.
struct DrillSettings
{
    std::int32_t maxValue = 100;    // V
    std::int32_t lineCount = 30;    // L
    std::int32_t interlineCount = 2; // I
    bool answerKey = true;
    DrillOptions options;            // normalized for V
};

// Non-zero draw between (V div 2) - V + 1 and V div 2; V must be >= 2.
std::int32_t DrawOperand(RandomSource &random, std::int32_t maxValue);

// "01/", "09/", "143/": the counter with at least two digits, then "/".
void AppendLinePrefix(std::string &out, std::int32_t counter);
// The interline breaks after a question line.
void AppendInterline(std::string &out, std::int32_t interlineCount);

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
    // The questions drawn since the subject document was last started, in
    // order. "RAZ" keeps them, as it keeps the documents.
    const QuestionList &questions() const { return m_questions; }
    // The title lines the subject's header was written with, as typed.
    const std::array<std::string, 3> &titles() const { return m_titles; }

    // Starts a new subject and/or answer document for each view holding at
    // most one line.
    void MetDebut(DrillHost &host);
    // "RAZ": counter back to 0, "0" shown; documents untouched.
    void resetCounter(DrillHost &host);
    // The drill frame around one button's question lines. When "sans
    // doublon" ran short of different questions, the host gets one notice
    // after both views are set.
    void runDrill(Drill drill, DrillHost &host);

    // DrawOperand on this worksheet's random source.
    std::int32_t DrawOperand(std::int32_t maxValue);

    // Pieces of the frame, public so that tests and benchmarks can run the
    // line making without views and conversion.
    static DrillSettings readSettings(DrillHost &host);
    // Adds one to the counter and shows it in the counter panel.
    void advanceCounter(DrillHost &host);
    // The counter with at least two digits, then "/": "01/", "143/".
    std::string linePrefix() const;
    // Appends the drill's question lines (frame step 4) to the documents.
    // Returns false when "sans doublon" had to keep a repeated question.
    bool makeLines(Drill drill, const DrillSettings &settings, DrillHost &host);

private:
    void makeLine(Drill drill, const DrillSettings &settings, DrillHost &host, OperandDraw &draw,
                  DistinctDraws &distinct);

    RandomSource m_random;
    std::string m_referenceCode;
    std::string m_subject;
    std::string m_answer;
    // Their RTF, converted as they grow.
    GrowingRtf m_subjectRtf;
    GrowingRtf m_answerRtf;
    std::int32_t m_counter = 0;
    QuestionList m_questions;
    // Filled only once a drill asks for no repeats.
    QuestionKeys m_keys;
    std::array<std::string, 3> m_titles;
};

} // namespace oxeln
