#pragma once

#include "DrillHost.h"
#include "MarkupToRtf.h"
#include "RandomSource.h"

#include <functional>
#include <string>
#include <vector>

namespace oxeln::test {

// Stand-in window: views start with one line each, as at program start,
// and afterwards count the "\par " of the last RTF given to them.
class FakeHost : public DrillHost
{
public:
    int subjectLines = 1;
    int answerLines = 1;
    std::string titles[3] = {"T1", "T2", "T3"};
    bool answerKey = true;
    int maxV = 100;
    int lines = 30;
    int interline = 2;
    DrillOptions options;
    std::vector<std::string> notices;

    std::string caption = "00";
    std::vector<std::string> captions;
    std::vector<std::string> calls; // order of the frame's window accesses
    std::string subjectRtf;
    std::string answerRtf;
    int subjectSets = 0;
    int answerSets = 0;
    // The stream of each view's last text and the bytes that later texts of
    // that stream promised to keep; texts that broke the promise.
    std::uint64_t subjectStream = 0;
    std::uint64_t answerStream = 0;
    std::size_t subjectStable = 0;
    std::size_t answerStable = 0;
    int brokenStreams = 0;

    // Runs inside setSubjectRtf, as the change handler's event processing does.
    std::function<void()> onSubjectChange;
    // Random state seen at each caption change (draw order checks).
    const RandomSource *watchedRandom = nullptr;
    std::vector<std::uint32_t> statesAtCaption;

    void clearViews()
    {
        subjectLines = 0;
        answerLines = 0;
        subjectRtf.clear();
        answerRtf.clear();
        subjectStream = answerStream = 0; // emptied views continue no stream
    }

    int subjectLineCount() override { calls.push_back("subjectLineCount"); return subjectLines; }
    int answerLineCount() override { calls.push_back("answerLineCount"); return answerLines; }
    std::string title(int line) override { return titles[line - 1]; }
    bool answerKeyEnabled() override { return answerKey; }
    int maxValue() override { calls.push_back("maxValue"); return maxV; }
    int lineCount() override { calls.push_back("lineCount"); return lines; }
    int interlineCount() override { calls.push_back("interlineCount"); return interline; }
    DrillOptions drillOptions() override { return options; }
    void showNotice(const std::string &text) override { notices.push_back(text); }

    void setCounterCaption(const std::string &text) override
    {
        caption = text;
        captions.push_back(text);
        if (watchedRandom)
            statesAtCaption.push_back(watchedRandom->state());
    }
    void hidePreview() override { calls.push_back("hidePreview"); }

    void setSubjectRtf(const DocumentRtf &rtf) override
    {
        calls.push_back("setSubjectRtf");
        follow(rtf, subjectRtf, subjectStream, subjectStable);
        subjectLines = paragraphs(subjectRtf);
        ++subjectSets;
        if (onSubjectChange) {
            auto handler = std::move(onSubjectChange);
            onSubjectChange = nullptr;
            handler();
        }
    }
    void setAnswerRtf(const DocumentRtf &rtf) override
    {
        calls.push_back("setAnswerRtf");
        follow(rtf, answerRtf, answerStream, answerStable);
        answerLines = paragraphs(answerRtf);
        ++answerSets;
    }

private:
    // The whole text as a view rebuilds it: the previous text's kept bytes
    // and the tail, or, for a view that does not show the stream's previous
    // text, the whole conversion.
    void follow(const DocumentRtf &rtf, std::string &last, std::uint64_t &stream, std::size_t &stable)
    {
        std::string whole;
        if (rtf.stream == stream) {
            if (rtf.offset > stable)
                ++brokenStreams;
            whole = last.substr(0, rtf.offset) + std::string(rtf.tail);
            if (whole.size() < stable || whole.compare(0, stable, last, 0, stable) != 0)
                ++brokenStreams;
        } else {
            whole = WholeRtf(rtf);
        }
        last = std::move(whole);
        stream = rtf.stream;
        stable = rtf.stable;
    }

    static int paragraphs(const std::string &rtf)
    {
        int count = 0;
        for (std::size_t at = rtf.find("\\par "); at != std::string::npos; at = rtf.find("\\par ", at + 1))
            ++count;
        return count;
    }
};

// First seed from which the source satisfies the predicate (brute force over
// small seeds; callers keep the odds well above one in ten million).
inline std::uint32_t findSeed(const std::function<bool(RandomSource &)> &predicate)
{
    for (std::uint32_t seed = 0; seed < 200'000'000u; ++seed) {
        RandomSource random(seed);
        if (predicate(random))
            return seed;
    }
    return 0xFFFFFFFFu;
}

// How many times piece occurs in text, overlaps counted.
inline std::size_t occurrences(const std::string &text, const std::string &piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

} // namespace oxeln::test
