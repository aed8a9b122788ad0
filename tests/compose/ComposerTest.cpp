#include "Composer.h"
#include "Cp1252.h"
#include "DefaultTitles.h"
#include "MarkupToRtf.h"
#include "StandInView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace oxeln;
using namespace oxeln::compose;

namespace {

ParseResult parse(std::vector<std::string> args)
{
    return parseArguments(args, standardFormats());
}

std::size_t occurrences(const std::string &text, const std::string &piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

ComposeOptions optionsFor(std::vector<std::string> args)
{
    const ParseResult r = parse(std::move(args));
    EXPECT_EQ(r.status, ParseResult::Status::Run) << r.error;
    return r.options;
}

} // namespace

TEST(ComposeArguments, DefaultsAndDrillNames)
{
    const ComposeOptions o = optionsFor({"--out", "f.rtf", "+", "-", "x", "^", ":", "S1", "S2", "RAZ"});
    EXPECT_FALSE(o.seed);
    EXPECT_EQ(o.maxValue, 100);
    EXPECT_EQ(o.lineCount, 30);
    EXPECT_EQ(o.interlineCount, 2);
    EXPECT_TRUE(o.answerKey);
    EXPECT_EQ(o.format, "rtf");
    EXPECT_EQ(o.outPath, "f.rtf");
    EXPECT_EQ(o.titles[0], DefaultTitle1);
    EXPECT_EQ(o.titles[1], DefaultTitle2);
    EXPECT_EQ(o.titles[2], DefaultTitle3);
    const std::vector<std::optional<Drill>> expected = {Drill::Plus, Drill::Minus, Drill::Mult, Drill::Power,
                                                        Drill::Divide, Drill::S1, Drill::S2, std::nullopt};
    ASSERT_EQ(o.steps.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(o.steps[i].drill, expected[i]) << i;
}

TEST(ComposeArguments, OptionsAnywhereInBothForms)
{
    const ComposeOptions o = optionsFor({"+", "--max=50", "S1", "--lines", "7", "--out=a b.rtf", "--seed", "4294967295",
                                         "--title2", "-x-", "--interline=-4", "--no-answer", "--format", "markup",
                                         "--title1=", "--title3", "Pr\xC3\xA9nom \xE2\x82\xAC \xC5\x93", ":"});
    EXPECT_EQ(o.maxValue, 50);
    EXPECT_EQ(o.lineCount, 7);
    EXPECT_EQ(o.interlineCount, 1);
    EXPECT_EQ(o.seed, 4294967295u);
    EXPECT_EQ(optionsFor({"+", "--out", "f", "--seed", "00000000001"}).seed, 1u) << "leading zeros";
    EXPECT_EQ(optionsFor({"+", "--out", "f", "--seed=0004294967295"}).seed, 4294967295u);
    EXPECT_EQ(o.outPath, "a b.rtf");
    EXPECT_FALSE(o.answerKey);
    EXPECT_EQ(o.format, "markup");
    EXPECT_EQ(o.titles[0], "");
    EXPECT_EQ(o.titles[1], "-x-");
    EXPECT_EQ(o.titles[2], "Pr\xE9nom \x80 \x9C");
    ASSERT_EQ(o.steps.size(), 3u);
    EXPECT_EQ(o.steps[2].drill, Drill::Divide);
}

TEST(ComposeArguments, ValuesAreClamped)
{
    const std::pair<std::vector<std::string>, std::array<int, 3>> cases[] = {
        {{"--max", "5", "--lines", "0", "--interline", "0"}, {10, 1, 1}},
        {{"--max", "1000", "--lines", "41", "--interline", "6"}, {999, 40, 5}},
        {{"--max", "-3", "--lines", "+12", "--interline", "3"}, {10, 12, 3}},
        {{"--max", "99999999999999999999999", "--lines", "-99999999999999999999", "--interline", "1"}, {999, 1, 1}},
        {{"--max", "10", "--lines", "1", "--interline", "5"}, {10, 1, 5}},
        {{"--max", "999", "--lines", "40", "--interline", "1"}, {999, 40, 1}},
    };
    for (const auto &[args, expected] : cases) {
        std::vector<std::string> all = args;
        all.insert(all.end(), {"--out", "f", "+"});
        const ComposeOptions o = optionsFor(all);
        EXPECT_EQ(o.maxValue, expected[0]) << args[1];
        EXPECT_EQ(o.lineCount, expected[1]) << args[3];
        EXPECT_EQ(o.interlineCount, expected[2]) << args[5];
    }
}

TEST(ComposeArguments, BadInputIsRefusedWithOneLine)
{
    const std::pair<std::vector<std::string>, const char *> cases[] = {
        {{"--out", "f", "+", "--bogus"}, "--bogus"},
        {{"--out", "f", "y"}, "y"},
        {{"--out", "f", "s1"}, "s1"},
        {{"--out", "f", "--max", "abc", "+"}, "abc"},
        {{"--out", "f", "--lines", "1.5", "+"}, "1.5"},
        {{"--out", "f", "--interline", "", "+"}, "--interline"},
        {{"--out", "f", "+", "--seed", "-1"}, "-1"},
        {{"--out", "f", "+", "--seed", "4294967296"}, "4294967296"},
        {{"--out", "f", "+", "--seed", "000004294967296"}, "000004294967296"},
        {{"--out", "f", "+", "--seed", "0x10"}, "0x10"},
        {{"+"}, "--out"},
        {{"--out", "f"}, "exercice"},
        {{"--out", "f", "+", "--max"}, "--max"},
        {{"+", "--out"}, "--out"},
        {{"--out", "", "+"}, "--out"},
        {{"--out", "f", "--format", "pdf", "+"}, "pdf"},
        {{"--out", "f", "--no-answer=1", "+"}, "--no-answer"},
        {{"--out", "f", "--title1", "\xE2\x88\x9A", "+"}, "--title1"},
        {{"--out", "f", "--title3", "\xE9t\xE9", "+"}, "--title3"},
        {{"--out", "f", "--versions", "0", "+"}, "--versions"},
        {{"--out", "f", "--versions=27", "+"}, "27"},
        {{"--out", "f", "--versions", "trois", "+"}, "trois"},
    };
    for (const auto &[args, mention] : cases) {
        const ParseResult r = parse(args);
        ASSERT_EQ(r.status, ParseResult::Status::Error) << mention;
        EXPECT_NE(r.error.find(mention), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;

        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runComposer(args, out, err, standardFormats()), 2);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(occurrences(err.str(), "\n"), 2u) << err.str(); // the message and the usage hint
        EXPECT_NE(err.str().find("--help"), std::string::npos);
    }
}

TEST(ComposeArguments, TitlesTypedAnyWayAreTakenOrRefusedByName)
{
    // An accent typed apart is the letter typed whole.
    const ParseResult apart = parse({"--out", "f", "--title2", "Classe de 5e, e\xCC\x81le\xCC\x80ves", "+"});
    ASSERT_EQ(apart.status, ParseResult::Status::Run) << apart.error;
    EXPECT_EQ(apart.options.titles[1], "Classe de 5e, \xE9l\xE8ves");

    const std::pair<const char *, const char *> refused[] = {
        {"Classe de 5\xE1\xB5\x89", "--title1 : caract\xC3\xA8re \xC2\xAB \xE1\xB5\x89 \xC2\xBB (U+1D49) absent de "
                                     "Windows-1252, en position 12"},
        {"(\xE2\x88\x92" "3)", "--title1 : caract\xC3\xA8re \xC2\xAB \xE2\x88\x92 \xC2\xBB (U+2212) absent de "
                               "Windows-1252, en position 2"},
        {"\xE9t\xE9", "--title1 : UTF-8 invalide \xC3\xA0 l'octet 1"},
    };
    for (const auto &[title, message] : refused)
        EXPECT_EQ(parse({"--out", "f", "--title1", title, "+"}).error, message);
}

TEST(ComposeArguments, TheOutExtensionChoosesTheFormat)
{
    std::vector<OutputFormat> formats = standardFormats();
    formats.push_back({"pdf", "PDF", [](const std::string &, Document) { return std::optional<std::string>("%PDF"); }, nullptr, "pdf"});
    const auto formatFor = [&formats](std::vector<std::string> args) {
        args.push_back("+");
        const ParseResult r = parseArguments(args, formats);
        return r.status == ParseResult::Status::Run ? r.options.format : "erreur : " + r.error;
    };
    EXPECT_EQ(formatFor({"--out", "fiche.pdf"}), "pdf");
    EXPECT_EQ(formatFor({"--out", "cours/FICHE.PDF"}), "pdf");
    EXPECT_EQ(formatFor({"--out", "fiche.rtf"}), "rtf");
    // No extension, or one no format claims: RTF as ever.
    for (const char *out : {"fiche", "cours.pdf/fiche", "fiche.doc", "fiche."})
        EXPECT_EQ(formatFor({"--out", out}), "rtf") << out;
    // Asked for: kept where the extension agrees or names no format.
    EXPECT_EQ(formatFor({"--format", "pdf", "--out", "fiche.pdf"}), "pdf");
    EXPECT_EQ(formatFor({"--format", "markup", "--out", "fiche.rtf"}), "markup"); // no extension of its own
    EXPECT_EQ(formatFor({"--out", "fiche.pdf", "--format=rtf"}),
              "erreur : --format rtf ne correspond pas \xC3\xA0 l'extension .pdf de --out (format pdf) : "
              "changez l'une ou l'autre, ou omettez --format");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runComposer({"--format", "pdf", "--out", "fiche.rtf", "+"}, out, err, formats), 2);
    std::ostringstream help;
    runComposer({"--help"}, help, err, formats);
    EXPECT_NE(help.str().find("(.rtf, .html, .gift, .pdf)"), std::string::npos) << help.str();
}

TEST(ComposeArguments, HelpDocumentsEveryOption)
{
    EXPECT_EQ(parse({"--help"}).status, ParseResult::Status::Help);
    EXPECT_EQ(parse({"+", "--help", "--bogus"}).status, ParseResult::Status::Help);
    EXPECT_EQ(parse({"-h"}).status, ParseResult::Status::Help);
    EXPECT_EQ(parse({"+", "--version"}).status, ParseResult::Status::Version);
    // An option's value is never an option, even when it reads like one.
    EXPECT_EQ(parse({"--out", "f", "--title1", "-h", "+"}).status, ParseResult::Status::Run);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runComposer({"--help"}, out, err, standardFormats()), 0);
    EXPECT_EQ(err.str(), "");
    for (const char *word : {"--seed", "--max", "--lines", "--interline", "--no-answer", "--title1", "--title2",
                             "--title3", "--format", "--out", "--versions", "fiche-A", "-h", "--version", "markup", "rtf", "RAZ",
                             "S1", "S2", "_Cor"})
        EXPECT_NE(out.str().find(word), std::string::npos) << word;
}

TEST(AnswerPath, ExtensionOfTheFileNameOnly)
{
    const std::map<std::string, std::string> cases = {
        {"fiche.rtf", "fiche_Cor.rtf"},
        {"fiche", "fiche_Cor"},
        {"dossier.v2/fiche", "dossier.v2/fiche_Cor"},
        {"/tmp/a.b/fiche.txt", "/tmp/a.b/fiche_Cor.txt"},
        {"a/b.c.rtf", "a/b.c_Cor.rtf"},
        {"fiche.", "fiche_Cor."},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(answerPathFor(in), out) << in;
}

TEST(RtfLineCount, ParagraphsOfAView)
{
    EXPECT_EQ(RtfLineCount(MarkupToRtf("")), 0);
    EXPECT_EQ(RtfLineCount(MarkupToRtf("a")), 1);
    EXPECT_EQ(RtfLineCount(MarkupToRtf("a<br>")), 1);
    EXPECT_EQ(RtfLineCount(MarkupToRtf("a<br>b")), 2);
    EXPECT_EQ(RtfLineCount(MarkupToRtf("<br><br>")), 2);
    EXPECT_EQ(RtfLineCount(MarkupToRtf("<b><te=20><courier>")), 0);
    EXPECT_EQ(RtfLineCount(MarkupToRtf("a\\par b{\\par}")), 1); // escaped: text, not breaks
    EXPECT_EQ(RtfLineCount(MarkupToRtf("<tab>")), 1);
    EXPECT_EQ(RtfLineCount("{\\rtf1{\\*\\generator x;}\\par x\\par\r\n}"), 2);
    EXPECT_EQ(RtfLineCount("{\\rtf1 \\'e9}"), 1);
    // Counting up to a limit gives the count, or the limit once it is reached.
    for (const char *markup : {"", "a", "a<br>", "a<br>b", "<br><br>", "a<br>b<br>c", "<tab>"}) {
        const int lines = RtfLineCount(MarkupToRtf(markup));
        for (int limit = 0; limit <= 3; ++limit)
            EXPECT_EQ(RtfLineCount(MarkupToRtf(markup), limit), std::min(lines, limit)) << markup << " " << limit;
    }
}

TEST(ComposeRun, ReferenceCodeAndChaining)
{
    ComposedWorksheet one = composeWorksheet(optionsFor({"--seed", "0", "--out", "f", "+"}));
    EXPECT_EQ(one.referenceCode, "Ref 000_031");
    EXPECT_EQ(one.subject.rfind("<arial><te=20>Ref 000_031 - <b>" + std::string(DefaultTitle1) + "</b><br>", 0), 0u);
    EXPECT_NE(one.subject.find("30/("), std::string::npos);
    EXPECT_EQ(one.subject.find("31/("), std::string::npos);

    // The stand-in views count the rendered lines, so the next drill chains.
    ComposedWorksheet two = composeWorksheet(optionsFor({"--seed", "0", "--out", "f", "+", "S2", "--lines", "1"}));
    EXPECT_EQ(two.referenceCode, "Ref 000_031");
    EXPECT_EQ(occurrences(two.subject, "<arial>"), 1u);
    EXPECT_NE(two.subject.find("02/("), std::string::npos);
    EXPECT_NE(two.answer.find("02/("), std::string::npos);
}

TEST(ComposeRun, RazEmptiesTheViewsNotTheDocuments)
{
    EXPECT_EQ(composeWorksheet(optionsFor({"--seed", "0", "--out", "f", "RAZ"})).referenceCode, "");

    const ComposedWorksheet plus = composeWorksheet(optionsFor({"--seed", "9", "--out", "f", "+", "--lines", "2"}));
    const ComposedWorksheet afterRaz =
        composeWorksheet(optionsFor({"--seed", "9", "--out", "f", "+", "RAZ", "--lines", "2"}));
    EXPECT_EQ(afterRaz.subject, plus.subject);
    EXPECT_EQ(afterRaz.referenceCode, plus.referenceCode);

    const ComposedWorksheet next =
        composeWorksheet(optionsFor({"--seed", "9", "--out", "f", "+", "RAZ", "-", "--lines", "2"}));
    EXPECT_NE(next.referenceCode, plus.referenceCode);
    EXPECT_EQ(next.subject.rfind("<arial><te=20>" + next.referenceCode, 0), 0u);
    EXPECT_NE(next.subject.find("01/(", 0), std::string::npos);
    EXPECT_EQ(next.subject.find(") + ("), std::string::npos);
}

TEST(ComposeRun, NoAnswerLeavesTheAnswerEmpty)
{
    const ComposedWorksheet s = composeWorksheet(optionsFor({"--seed", "3", "--no-answer", "--out", "f", "^", ":"}));
    EXPECT_EQ(s.answer, "");
    EXPECT_NE(s.subject.find("60/("), std::string::npos);
}

TEST(ComposeVersions, SeedsPathsAndDistinctSheets)
{
    EXPECT_EQ(versionPath("fiche.pdf", 0, 1), "fiche.pdf");
    EXPECT_EQ(versionPath("fiche.pdf", 1, 3), "fiche-B.pdf");
    EXPECT_EQ(versionPath("cours.2/fiche", 25, 26), "cours.2/fiche-Z");
    EXPECT_EQ(answerPathFor(versionPath("a/f.v.odt", 0, 2)), "a/f.v-A_Cor.odt");

    // Version A is the sheet of the same command without --versions.
    ComposeOptions options = optionsFor({"--seed", "7", "--out", "f", "--lines", "2", "+", "S2"});
    const ComposedWorksheet single = composeWorksheet(options);
    options.versions = 26;
    const std::vector<ComposedWorksheet> sheets = composeVersions(options);
    ASSERT_EQ(sheets.size(), 26u);
    EXPECT_EQ(sheets[0].subject, single.subject);
    EXPECT_EQ(sheets[0].answer, single.answer);
    std::set<std::string> codes;
    std::set<std::string> subjects;
    for (const ComposedWorksheet &sheet : sheets) {
        codes.insert(sheet.referenceCode);
        subjects.insert(sheet.subject);
        EXPECT_EQ(sheet.answer.rfind("<arial><te=20>" + sheet.referenceCode + " -<b> CORRIGE", 0), 0u);
    }
    EXPECT_EQ(codes.size(), 26u);
    EXPECT_EQ(subjects.size(), 26u);
    // The same command line gives the same sheets; another seed others.
    EXPECT_EQ(composeVersions(options)[25].subject, sheets[25].subject);
    options.seed = 8;
    EXPECT_NE(composeVersions(options)[1].subject, sheets[1].subject);
}

namespace {

class ScratchFolder
{
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/oxeln-composer-test-XXXXXX";
        m_path = mkdtemp(pattern) ? pattern : "";
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }
    std::string file(const std::string &name) const { return m_path + "/" + name; }
    std::vector<std::string> names() const
    {
        std::vector<std::string> found;
        for (const auto &entry : std::filesystem::directory_iterator(m_path))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    std::string m_path;
};

std::string contentOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(ComposeRun, OtherFormatsPlugInThroughTheRendererTable)
{
    const ScratchFolder folder;
    std::vector<OutputFormat> formats = standardFormats();
    formats.push_back({"memo", "en m\xC3\xA9moire", [](const std::string &markup, Document which) {
                           return std::optional<std::string>((which == Document::Answer ? "C:" : "S:") + markup);
                       }});
    formats.push_back({"broken", "refuse le corrig\xC3\xA9", [](const std::string &markup, Document which) {
                           return which == Document::Answer ? std::nullopt : std::optional<std::string>(markup);
                       }});

    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> args = {"--seed", "0", "--format", "memo", "--out", folder.file("fiche.pdf"), "S1"};
    ASSERT_EQ(runComposer(args, out, err, formats), 0) << err.str();
    EXPECT_EQ(out.str(), "Ref 000_031\n");
    const ComposedWorksheet sheet = composeWorksheet(parseArguments(args, formats).options);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"fiche.pdf", "fiche_Cor.pdf"}));
    EXPECT_EQ(contentOf(folder.file("fiche.pdf")), "S:" + sheet.subject);
    EXPECT_EQ(contentOf(folder.file("fiche_Cor.pdf")), "C:" + sheet.answer);
    std::ostringstream help;
    runComposer({"--help"}, help, err, formats);
    EXPECT_NE(help.str().find("memo"), std::string::npos);

    // A document that cannot be made: no file at all, the subject neither.
    std::ostringstream out2;
    std::ostringstream err2;
    EXPECT_EQ(runComposer({"--format=broken", "--out", folder.file("g.rtf"), "+"}, out2, err2, formats), 1);
    EXPECT_EQ(err2.str(), "Erreur \xC3\xA0 l'enregistrement du flux : " + folder.file("g_Cor.rtf") + "\n");
    EXPECT_EQ(out2.str(), "");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"fiche.pdf", "fiche_Cor.pdf"}));
}

TEST(ComposeDrillOptions, ParsedIntoTheOptionsEveryDrillReads)
{
    const ComposeOptions o = optionsFor({"--out", "f", "--ecriture", "simplifiee", "--min=3", "--signes", "un-negatif",
                                         "--sans-doublon", "--divisions-exactes", "--exposant-max", "4",
                                         "--base-max=12", "--corrige-compact", "?+", "?-", "?x", "?:", "P1", "P2", "<"});
    DrillOptions expected;
    expected.writing = Writing::Simplified;
    expected.smallest = 3;
    expected.signs = SignMix::OneNegative;
    expected.noDuplicates = expected.exactDivisions = expected.compactAnswer = true;
    expected.largestExponent = 4;
    expected.largestBase = 12;
    EXPECT_EQ(o.drillOptions, expected);
    ASSERT_EQ(o.steps.size(), 7u);
    EXPECT_EQ(o.steps.front().drill, Drill::MissingPlus);
    EXPECT_EQ(o.steps.back().drill, Drill::Compare);
    // The default instruction follows the writing; a given one stays.
    EXPECT_EQ(o.titles[2], DefaultTitle3For(Writing::Simplified));
    EXPECT_EQ(optionsFor({"--out", "f", "--title3", "T", "--ecriture", "negatifs", "+"}).titles[2], "T");

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"--ecriture", "Negatifs"}, "--ecriture : valeur inconnue \xC2\xAB Negatifs \xC2\xBB (valeurs accept\xC3\xA9"
                                     "es : parentheses, negatifs, simplifiee)"},
        {{"--signes", "\xC3\xA9"}, "--signes : valeur inconnue \xC2\xAB \xC3\xA9 \xC2\xBB (valeurs accept\xC3\xA9"
                                   "es : hasard, un-negatif, negatifs)"},
        {{"--exposant-max", "59"}, "--exposant-max : attend un nombre de 1 \xC3\xA0 58, pas \xC2\xAB 59 \xC2\xBB"},
        {{"--min", "0"}, "--min : attend un nombre de 1 \xC3\xA0 999, pas \xC2\xAB 0 \xC2\xBB"},
        {{"--min", "60", "--max", "50"}, "--min attend un nombre de 1 \xC3\xA0 la valeur maximale 50, pas \xC2\xAB 60 \xC2\xBB"},
        {{"--sans-doublon=oui"}, "l'option --sans-doublon ne prend pas de valeur"},
        {{"--base-max"}, "l'option --base-max attend une valeur"},
    };
    for (auto [args, message] : refused) {
        args.insert(args.begin(), {"--out", "f", "+"});
        const ParseResult r = parse(args);
        EXPECT_EQ(r.status, ParseResult::Status::Error);
        EXPECT_EQ(r.error, message);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runComposer(args, out, err, standardFormats()), 2);
    }
    EXPECT_NE(parse({"--out", "f", "?"}).error.find("?+ ?- ?x ?: P1 P2 < RAZ"), std::string::npos);

    std::ostringstream help;
    std::ostringstream err;
    runComposer({"--help"}, help, err, standardFormats());
    for (const char *word : {"--ecriture", "simplifiee", "--min", "--signes", "un-negatif", "--sans-doublon",
                             "--divisions-exactes", "--exposant-max", "--base-max", "--corrige-compact", "?:", "P2", "<"})
        EXPECT_NE(help.str().find(word), std::string::npos) << word;
}

TEST(ComposeDrillOptions, TooFewDifferentQuestionsSaidOnceOnStandardError)
{
    const ScratchFolder folder;
    std::ostringstream out;
    std::ostringstream err;
    // 81 different sums from ten values: two drills of 160, in two versions.
    const std::vector<std::string> args = {"--max", "10", "--lines", "40", "--sans-doublon", "--versions", "2",
                                           "--seed", "5", "--out", folder.file("f.rtf"), "+", "+"};
    ASSERT_EQ(runComposer(args, out, err, standardFormats()), 0);
    EXPECT_EQ(err.str(), "oxeln-compose : " + Cp1252ToUtf8(NotEnoughQuestionsNotice()) + "\n");
    EXPECT_EQ(occurrences(out.str(), "\n"), 2u);

    std::ostringstream quiet;
    ASSERT_EQ(runComposer({"--sans-doublon", "--seed", "5", "--out", folder.file("g.rtf"), "+"}, out, quiet,
                          standardFormats()),
              0);
    EXPECT_EQ(quiet.str(), "");
}

// --versions: each version's files are on disk, complete and still
// unnamed, before the next version is made, and named only once all are.
TEST(ComposeRun, VersionsWaitUnnamedOnDiskUntilAllAreMade)
{
    const ScratchFolder folder;
    // Files of the folder this process holds open without a name.
    const auto unnamedSizes = [&folder] {
        std::vector<std::uintmax_t> sizes;
        for (const auto &fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
            if (!error && target.rfind(folder.file(""), 0) == 0 && target.find("(deleted)") != std::string::npos)
                sizes.push_back(std::filesystem::file_size(fd.path(), error));
        }
        std::sort(sizes.begin(), sizes.end());
        return sizes;
    };
    std::vector<std::vector<std::uintmax_t>> seen; // at each document made
    std::vector<OutputFormat> formats = standardFormats();
    formats.push_back({"spy", "", [&](const std::string &markup, Document which) {
                           seen.push_back(unnamedSizes());
                           EXPECT_EQ(folder.names(), std::vector<std::string>{});
                           (void)markup;
                           return std::optional<std::string>(std::string(which == Document::Subject ? 1000 : 2000, 'x'));
                       }});
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runComposer({"--versions", "3", "--format", "spy", "--out", folder.file("f.rtf"), "+"}, out, err, formats),
              0)
        << err.str();
    using Sizes = std::vector<std::uintmax_t>;
    EXPECT_EQ(seen, (std::vector<Sizes>{{}, {1000}, {1000, 2000}, {1000, 1000, 2000}, {1000, 1000, 2000, 2000},
                                        {1000, 1000, 1000, 2000, 2000}}));
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"f-A.rtf", "f-A_Cor.rtf", "f-B.rtf", "f-B_Cor.rtf",
                                                        "f-C.rtf", "f-C_Cor.rtf"}));
    EXPECT_EQ(unnamedSizes(), Sizes{});
}
