#pragma once

#include "DocumentRtf.h"
#include "DrillOptions.h"

#include <string>

namespace oxeln {

// Everything the drill frame reads from or writes to its window. The main
// window implements it over its controls; the headless composer over two
// stand-in views. Texts are Windows-1252 bytes.
class DrillHost
{
public:
    virtual ~DrillHost() = default;

    // Lines of each view as laid out, an empty last line not counted.
    // Callers only compare the result with 0 and 1.
    virtual int subjectLineCount() = 0;
    virtual int answerLineCount() = 0;

    // Title line 1, 2 or 3 as typed.
    virtual std::string title(int line) = 0;
    virtual bool answerKeyEnabled() = 0;
    virtual int maxValue() = 0;       // spmaxvaleur
    virtual int lineCount() = 0;      // spMaxLigne
    virtual int interlineCount() = 0; // spinterligne

    // The options of the drill about to run, read once at its start, after
    // the three values above. A host without options gets the defaults, and
    // with them every drill of the seven first buttons draws and writes
    // exactly as before they existed.
    virtual DrillOptions drillOptions() { return {}; }
    // A notice for the teacher, in French (Windows-1252), given at most once
    // per drill, after both views are set: today only
    // NotEnoughQuestionsNotice(). Ignored unless the host shows it.
    virtual void showNotice(const std::string &text) { (void)text; }

    virtual void setCounterCaption(const std::string &caption) = 0; // pnlNb
    virtual void hidePreview() = 0;                                 // ScrollBox1

    // SetRtfText of RxE1 and RxE2. The subject view's change handler may
    // process pending events, so a nested drill can run inside this call;
    // rtf.tail is only valid until then: a view reads it first.
    virtual void setSubjectRtf(const DocumentRtf &rtf) = 0;
    virtual void setAnswerRtf(const DocumentRtf &rtf) = 0;
};

} // namespace oxeln
