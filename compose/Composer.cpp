#include "Composer.h"

#include "Cp1252.h"
#include "DefaultTitles.h"
#include "FileCommit.h"
#include "GiftQuiz.h"
#include "MarkupToRtf.h"
#include "StudentPage.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <tuple>

namespace oxeln::compose {

namespace {

constexpr const char *ProgramName = "oxeln-compose";

std::optional<Drill> drillNamed(const std::string &name, bool &isRaz)
{
    isRaz = name == "RAZ";
    return DrillFromName(name);
}

std::string drillNames()
{
    std::string names;
    for (Drill drill : AllDrills)
        names += std::string(DrillName(drill)) + " ";
    return names + "RAZ";
}

// The core's messages are Windows-1252 and quote the value given, which the
// arguments hold in UTF-8: the quoted value is put back as typed.
std::string messageFor(const std::string &option, const std::string &value, const std::string &cp1252Message)
{
    std::string utf8 = Cp1252ToUtf8(cp1252Message);
    const std::string mangled = Cp1252ToUtf8(value);
    if (const std::size_t at = utf8.find(mangled); at != std::string::npos)
        utf8.replace(at, mangled.size(), value);
    return option + " : " + utf8;
}

enum class DrillOptionParse { NotOne, Done, Failed };

// The options that every drill reads: flags, and options with a value.
// They are parsed apart from the rest so that each reads in one place.
// The value of a valued option: its inline "=value", else the next
// argument (even one starting with "-"); nothing, with the message, when
// the arguments end there.
std::optional<std::string> optionValue(const std::string &name, const std::optional<std::string> &inlineValue,
                                       const std::vector<std::string> &args, std::size_t &i, std::string &error)
{
    if (inlineValue)
        return inlineValue;
    if (i + 1 < args.size())
        return args[++i];
    error = "l'option " + name + " attend une valeur";
    return std::nullopt;
}

DrillOptionParse parseDrillOption(const std::string &name, const std::optional<std::string> &inlineValue,
                                  const std::vector<std::string> &args, std::size_t &i, DrillOptions &o,
                                  std::string &error)
{
    static const std::pair<const char *, bool DrillOptions::*> flags[] = {
        {"--sans-doublon", &DrillOptions::noDuplicates},
        {"--divisions-exactes", &DrillOptions::exactDivisions},
        {"--corrige-compact", &DrillOptions::compactAnswer},
    };
    for (const auto &[flag, member] : flags) {
        if (name != flag)
            continue;
        if (inlineValue) {
            error = "l'option " + name + " ne prend pas de valeur";
            return DrillOptionParse::Failed;
        }
        o.*member = true;
        return DrillOptionParse::Done;
    }
    static const char *const valued[] = {"--ecriture", "--min", "--signes", "--exposant-max", "--base-max"};
    if (std::find(std::begin(valued), std::end(valued), name) == std::end(valued))
        return DrillOptionParse::NotOne;
    const std::optional<std::string> given = optionValue(name, inlineValue, args, i, error);
    if (!given)
        return DrillOptionParse::Failed;
    const std::string &value = *given;
    const auto take = [&](const auto &parsed, auto &member) {
        if (!parsed.value) {
            error = messageFor(name, value, parsed.error);
            return DrillOptionParse::Failed;
        }
        member = *parsed.value;
        return DrillOptionParse::Done;
    };
    if (name == "--ecriture")
        return take(ParseWriting(value), o.writing);
    if (name == "--signes")
        return take(ParseSignMix(value), o.signs);
    if (name == "--min")
        return take(ParseOptionNumber(value, 1, SmallestLimit), o.smallest);
    if (name == "--exposant-max")
        return take(ParseOptionNumber(value, 1, LargestExponentLimit), o.largestExponent);
    return take(ParseOptionNumber(value, 1, LargestBaseLimit), o.largestBase);
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Decimal with an optional sign; out of range values saturate (they are
// clamped afterwards anyway).
std::optional<long long> parseInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (!allDigits(text))
        return std::nullopt;
    long long value = 0;
    for (char c : text)
        value = std::min(value * 10 + (c - '0'), 1'000'000'000'000LL);
    return negative ? -value : value;
}

std::optional<std::uint32_t> parseSeed(std::string_view text)
{
    if (!allDigits(text))
        return std::nullopt;
    // Leading zeros are allowed: the value decides the range, not the length.
    unsigned long long value = 0;
    for (char c : text) {
        value = value * 10 + static_cast<unsigned long long>(c - '0');
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::string formatNames(const std::vector<OutputFormat> &formats)
{
    std::string names;
    for (const OutputFormat &f : formats)
        names += (names.empty() ? "" : ", ") + f.name;
    return names;
}

// What is wrong with a title, its place and, when it is one, the character.
std::string refusalText(const Cp1252Refusal &refusal)
{
    const std::string position = std::to_string(refusal.position);
    if (refusal.kind == Cp1252Refusal::Kind::InvalidUtf8)
        return "UTF-8 invalide \xC3\xA0 l'octet " + position;
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(refusal.character));
    return "caract\xC3\xA8re \xC2\xAB " + CodePointToUtf8(refusal.character) + " \xC2\xBB (" + code +
           ") absent de Windows-1252, en position " + position;
}

// The extension of the file name part of path, in lower case; empty when
// it has none.
std::string extensionOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return extension;
}

// The format of the files once the options are read: the one asked for, or
// the one --out's extension names, or "rtf". An error text when the format
// asked for has an extension of its own and --out's names another format
// (one without, such as "markup", goes under any name).
std::optional<std::string> settleFormat(ComposeOptions &o, bool asked, const std::vector<OutputFormat> &formats)
{
    const std::string extension = extensionOf(o.outPath);
    const auto named = std::find_if(formats.begin(), formats.end(), [&extension](const OutputFormat &f) {
        return !extension.empty() && f.extension == extension;
    });
    if (named == formats.end())
        return std::nullopt; // asked for, or "rtf" as ever
    if (!asked) {
        o.format = named->name;
        return std::nullopt;
    }
    const auto chosen = std::find_if(formats.begin(), formats.end(),
                                     [&o](const OutputFormat &f) { return f.name == o.format; });
    if (named == chosen || chosen == formats.end() || chosen->extension.empty())
        return std::nullopt;
    return "--format " + o.format + " ne correspond pas \xC3\xA0 l'extension ." + extension + " de --out (format " +
           named->name + ") : changez l'une ou l'autre, ou omettez --format";
}

ParseResult failure(std::string message)
{
    ParseResult result;
    result.status = ParseResult::Status::Error;
    result.error = std::move(message);
    return result;
}

// Makes each version's files in turn and writes them all or none: a
// version's files wait complete on disk, unnamed, while the next ones are
// made, so that only one version is held in memory at a time. A failure
// leaves every old file as it was and no new one behind.
int writeVersions(const ComposeOptions &options, const OutputFormat &format, std::ostream &out, std::ostream &err)
{
    FileBatch batch;
    std::vector<std::string> codes;
    std::string notice; // the first sheet's that has one
    std::optional<CommitFailure> failure;
    bool unrendered = false;
    forEachVersion(options, [&](ComposedWorksheet &&sheet) {
        const int version = int(codes.size());
        const std::string subjectPath = versionPath(options.outPath, version, options.versions);
        if (format.renderSheet) {
            failure = batch.add(subjectPath, format.renderSheet(sheet));
        } else {
            const std::string answerPath = answerPathFor(subjectPath);
            for (const auto &[path, markup, which] : {std::tuple{&subjectPath, &sheet.subject, Document::Subject},
                                                      std::tuple{&answerPath, &sheet.answer, Document::Answer}}) {
                const std::optional<std::string> bytes = format.render(*markup, which);
                if (!bytes) {
                    err << "Erreur \xC3\xA0 l'enregistrement du flux : " << *path << "\n";
                    unrendered = true;
                    return false;
                }
                failure = batch.add(*path, *bytes);
                if (failure)
                    break;
            }
        }
        if (failure)
            return false;
        if (notice.empty())
            notice = sheet.notice;
        codes.push_back(std::move(sheet.referenceCode));
        return true;
    });
    if (unrendered)
        return 1;
    if (!failure)
        failure = batch.commit();
    if (failure) {
        err << describeFailure(*failure) << "\n";
        return 1;
    }
    for (const std::string &code : codes)
        out << code << "\n";
    if (!notice.empty())
        err << ProgramName << " : " << Cp1252ToUtf8(notice) << "\n";
    return 0;
}

} // namespace

std::vector<OutputFormat> standardFormats()
{
    return {
        {"markup", "les documents bruts dans le balisage de la fiche (Windows-1252)",
         [](const std::string &markup, Document) { return std::optional<std::string>(markup); }},
        {"rtf", "RTF, tel que les vues le re\xC3\xA7oivent (par d\xC3\xA9" "faut)",
         [](const std::string &markup, Document) { return std::optional<std::string>(MarkupToRtf(markup)); }, nullptr,
         "rtf"},
        {"html", "page que les \xC3\xA9l\xC3\xA8ves remplissent \xC3\xA0 l'\xC3\xA9" "cran et qui se corrige (UTF-8, sans _Cor)",
         nullptr, [](const ComposedWorksheet &sheet) {
             return StudentPageHtml({sheet.referenceCode, sheet.titles, sheet.questions});
         }, "html"},
        {"gift", "questionnaire Moodle au format GIFT, r\xC3\xA9ponses comprises (UTF-8, sans _Cor)",
         nullptr, [](const ComposedWorksheet &sheet) {
             return GiftQuiz({sheet.referenceCode, sheet.titles, sheet.questions});
         }, "gift"},
    };
}

ParseResult parseArguments(const std::vector<std::string> &args, const std::vector<OutputFormat> &formats)
{
    ParseResult result;
    ComposeOptions &o = result.options;
    bool haveOut = false;
    bool title3Given = false;
    bool formatAsked = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "-h") {
            result.status = ParseResult::Status::Help;
            return result;
        }
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            bool isRaz = false;
            const std::optional<Drill> drill = drillNamed(arg, isRaz);
            if (!drill && !isRaz)
                return failure("exercice inconnu \xC2\xAB " + arg + " \xC2\xBB (attendus : " + drillNames() + ")");
            o.steps.push_back({drill});
            continue;
        }

        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }

        if (name == "--help") {
            result.status = ParseResult::Status::Help;
            return result;
        }
        if (name == "--version") {
            result.status = ParseResult::Status::Version;
            return result;
        }
        if (name == "--no-answer") {
            if (inlineValue)
                return failure("l'option --no-answer ne prend pas de valeur");
            o.answerKey = false;
            continue;
        }

        std::string drillError;
        switch (parseDrillOption(name, inlineValue, args, i, o.drillOptions, drillError)) {
        case DrillOptionParse::Done: continue;
        case DrillOptionParse::Failed: return failure(drillError);
        case DrillOptionParse::NotOne: break;
        }

        static const char *const valued[] = {"--seed",   "--max",   "--lines",  "--interline", "--title1",
                                             "--title2", "--title3", "--format", "--out",       "--versions"};
        if (std::find(std::begin(valued), std::end(valued), name) == std::end(valued))
            return failure("option inconnue \xC2\xAB " + name + " \xC2\xBB");
        std::string missing;
        const std::optional<std::string> given = optionValue(name, inlineValue, args, i, missing);
        if (!given)
            return failure(missing);
        const std::string &value = *given;

        if (name == "--seed") {
            o.seed = parseSeed(value);
            if (!o.seed)
                return failure("--seed attend un entier de 0 \xC3\xA0 4294967295, pas \xC2\xAB " + value + " \xC2\xBB");
        } else if (name == "--max" || name == "--lines" || name == "--interline") {
            const std::optional<long long> n = parseInteger(value);
            if (!n)
                return failure("valeur non num\xC3\xA9rique pour " + name + " : \xC2\xAB " + value + " \xC2\xBB");
            if (name == "--max")
                o.maxValue = static_cast<std::int32_t>(std::clamp(*n, 10LL, 999LL));
            else if (name == "--lines")
                o.lineCount = static_cast<std::int32_t>(std::clamp(*n, 1LL, 40LL));
            else
                o.interlineCount = static_cast<std::int32_t>(std::clamp(*n, 1LL, 5LL));
        } else if (name == "--versions") {
            // Not clamped: a version past Z would have no name.
            const std::optional<long long> n = parseInteger(value);
            if (!n || *n < 1 || *n > MaxVersions)
                return failure("--versions attend un nombre de 1 \xC3\xA0 26, pas \xC2\xAB " + value + " \xC2\xBB");
            o.versions = static_cast<int>(*n);
        } else if (name.compare(0, 7, "--title") == 0) {
            Cp1252Refusal refusal;
            std::optional<std::string> text = Utf8ToCp1252(value, &refusal);
            if (!text)
                return failure(name + " : " + refusalText(refusal));
            o.titles.at(static_cast<std::size_t>(name.back() - '1')) = std::move(*text);
            title3Given = title3Given || name == "--title3";
        } else if (name == "--format") {
            const bool known = std::any_of(formats.begin(), formats.end(),
                                           [&value](const OutputFormat &f) { return f.name == value; });
            if (!known)
                return failure("format inconnu \xC2\xAB " + value + " \xC2\xBB (formats : " + formatNames(formats) + ")");
            o.format = value;
            formatAsked = true;
        } else { // --out
            if (value.empty())
                return failure("--out attend un chemin de fichier non vide");
            o.outPath = value;
            haveOut = true;
        }
    }

    if (!haveOut)
        return failure("l'option --out est obligatoire");
    if (o.steps.empty())
        return failure("aucun exercice demand\xC3\xA9");
    if (o.drillOptions.smallest > o.maxValue)
        return failure("--min attend un nombre de 1 \xC3\xA0 la valeur maximale " + std::to_string(o.maxValue) +
                       ", pas \xC2\xAB " + std::to_string(o.drillOptions.smallest) + " \xC2\xBB");
    // The default instruction asks for brackets around every result.
    if (!title3Given)
        o.titles[2] = std::string(DefaultTitle3For(o.drillOptions.writing));
    if (std::optional<std::string> mismatch = settleFormat(o, formatAsked, formats))
        return failure(std::move(*mismatch));
    result.status = ParseResult::Status::Run;
    return result;
}

std::string helpText(const std::vector<OutputFormat> &formats)
{
    std::string text =
        "Usage : oxeln-compose [options] --out CHEMIN EXERCICE...\n"
        "\n"
        "Compose une fiche d'exercices sur les entiers relatifs (sujet et corrig\xC3\xA9) sans fen\xC3\xAAtre,\n"
        "comme une suite de clics sur les boutons de la fen\xC3\xAAtre principale.\n"
        "\n"
        "EXERCICE, appliqu\xC3\xA9s dans l'ordre \xC3\xA0 la m\xC3\xAAme fiche :\n"
        "  +    additions               -    soustractions\n"
        "  x    multiplications         :    divisions\n"
        "  ^    puissances\n"
        "  S1   suites d'additions      S2   suites d'additions et de soustractions\n"
        "  ?+ ?- ?x ?:  terme manquant : \xC2\xAB (-3) + ... = (+5) \xC2\xBB, le blanc sur l'un des deux\n"
        "       nombres au hasard ; le corrig\xC3\xA9 montre l'\xC3\xA9galit\xC3\xA9 enti\xC3\xA8re.\n"
        "  P1   priorit\xC3\xA9s op\xC3\xA9ratoires : 3 \xC3\xA0 5 nombres, + - x :, un niveau de parenth\xC3\xA8ses.\n"
        "  P2   priorit\xC3\xA9s op\xC3\xA9ratoires : 4 ou 5 nombres, parenth\xC3\xA8ses dans des crochets\n"
        "       \xC2\xAB (-3) x [(+4) - ((-5) + (+1))] \xC2\xBB ; le corrig\xC3\xA9 montre la valeur des crochets.\n"
        "  <    comparer : \xC2\xAB (-7) ... (+3) \xC2\xBB, \xC3\xA0 compl\xC3\xA9ter par <, > ou =.\n"
        "       Dans le shell, ?+ ?- ?x ?: et < s'\xC3\xA9" "crivent entre apostrophes : '?+' '<'.\n"
        "  RAZ  remise \xC3\xA0 z\xC3\xA9ro : vide les deux vues et remet le compteur \xC3\xA0 0 ; l'exercice\n"
        "       suivant commence une nouvelle fiche (nouvelle r\xC3\xA9" "f\xC3\xA9rence, num\xC3\xA9rotation en 01/).\n"
        "       Les documents eux-m\xC3\xAAmes restent tels quels jusque-l\xC3\xA0.\n"
        "\n"
        "Options (n'importe o\xC3\xB9 parmi les exercices, \xC2\xAB --opt valeur \xC2\xBB ou \xC2\xAB --opt=valeur \xC2\xBB ;\n"
        "la valeur est toujours l'argument suivant, m\xC3\xAAme s'il commence par \xC2\xAB - \xC2\xBB) :\n"
        "  --out CHEMIN      fichier du sujet (obligatoire) ; le corrig\xC3\xA9 va dans CHEMIN sans son\n"
        "                    extension + \xC2\xAB _Cor \xC2\xBB + l'extension (fiche.rtf -> fiche_Cor.rtf).\n"
        "                    Le corrig\xC3\xA9 est \xC3\xA9" "crit m\xC3\xAAme vide (--no-answer, RAZ seul) ; html et\n"
        "                    gift font un seul fichier, qui porte sa correction. Sans aucun\n"
        "                    exercice, la commande s'arr\xC3\xAAte (code 2) sans rien \xC3\xA9" "crire.\n"
        "  --versions N      N fiches (1 \xC3\xA0 26) faites des m\xC3\xAAmes exercices et r\xC3\xA9glages, chacune\n"
        "                    de son propre tirage, pour que deux voisins n'aient pas la m\xC3\xAAme : CHEMIN\n"
        "                    avec \xC2\xAB -A \xC2\xBB, \xC2\xAB -B \xC2\xBB... avant l'extension (fiche-A.pdf,\n"
        "                    fiche-A_Cor.pdf, fiche-B.pdf...). La m\xC3\xAAme commande donne toujours les\n"
        "                    m\xC3\xAAmes fiches avec --seed ; la fiche A est celle qu'elle donne sans\n"
        "                    --versions. D\xC3\xA9" "faut 1 : CHEMIN tel quel.\n"
        "  --seed N          \xC3\xA9tat du g\xC3\xA9n\xC3\xA9rateur avant le premier tirage (0 \xC3\xA0 4294967295) ;\n"
        "                    par d\xC3\xA9" "faut, les millisecondes depuis minuit UTC.\n"
        "  --max V           taille des nombres, 10 \xC3\xA0 999 (d\xC3\xA9" "faut 100 ; ramen\xC3\xA9" "e dans l'intervalle) :\n"
        "                    termes, facteurs, diviseurs et bases d'environ -V/2 \xC3\xA0 +V/2 (100 : -49 \xC3\xA0\n"
        "                    +50) ; r\xC3\xA9sultats et dividendes (diviseur x quotient de 0 \xC3\xA0 V-1) au-del\xC3\xA0.\n"
        "  --lines L         lignes de questions par exercice, 1 \xC3\xA0 40 (d\xC3\xA9" "faut 30).\n"
        "  --interline I     sauts de ligne apr\xC3\xA8s chaque ligne, 1 \xC3\xA0 5 (d\xC3\xA9" "faut 2).\n"
        "  --no-answer       pas de corrig\xC3\xA9 : le document du corrig\xC3\xA9 reste vide.\n"
        "  --ecriture E      \xC3\xA9" "criture des nombres : parentheses (d\xC3\xA9" "faut, \xC2\xAB (-6) + (+5) = \xC2\xBB),\n"
        "                    negatifs (seuls les n\xC3\xA9gatifs entre parenth\xC3\xA8ses, \xC2\xAB (-6) + 5 = \xC2\xBB,\n"
        "                    r\xC3\xA9ponse \xC2\xAB -1 \xC2\xBB) ou simplifiee (sommes sans parenth\xC3\xA8ses,\n"
        "                    \xC2\xAB -6 - 5 + 3 = \xC2\xBB ; produits, quotients et puissances comme negatifs,\n"
        "                    \xC2\xAB -6 x (-5) = \xC2\xBB). Sans --title3, la consigne suit l'\xC3\xA9" "criture.\n"
        "  --min N           plus petite valeur absolue des nombres, de 1 \xC3\xA0 V : les nombres vont\n"
        "                    alors de N \xC3\xA0 V en valeur absolue (sans --min, de -(V div 2) + 1 \xC3\xA0\n"
        "                    V div 2). Pour : et ?:, le diviseur et le quotient ; le dividende est\n"
        "                    leur produit.\n"
        "  --signes S        hasard (d\xC3\xA9" "faut), un-negatif (au moins un nombre n\xC3\xA9gatif par\n"
        "                    question) ou negatifs (tous les nombres n\xC3\xA9gatifs).\n"
        "  --sans-doublon    aucune question deux fois sur la fiche (m\xC3\xAAmes nombres dans le m\xC3\xAAme\n"
        "                    ordre, m\xC3\xAAme exercice). Si les nombres n'en donnent pas assez, un\n"
        "                    avertissement sur la sortie d'erreur, et la fiche est remplie quand m\xC3\xAAme.\n"
        "  --divisions-exactes  chaque quotient de : est entier (jamais de r\xC3\xA9ponse \xC2\xAB / \xC2\xBB).\n"
        "  --exposant-max N  plus grand exposant des puissances, 1 \xC3\xA0 58.\n"
        "  --base-max N      plus grande valeur absolue de la base des puissances, 1 \xC3\xA0 999.\n"
        "  --corrige-compact corrig\xC3\xA9 sans les lignes blanches entre les questions (le sujet\n"
        "                    ne change pas).\n"
        "  --title1 T        ligne 1 du titre (d\xC3\xA9" "faut \xC2\xAB Nom : ... Pr\xC3\xA9nom : ... Classe : \xC2\xBB).\n"
        "  --title2 T        ligne 2 du titre (d\xC3\xA9" "faut 166 tirets).\n"
        "  --title3 T        ligne 3 du titre (d\xC3\xA9" "faut la consigne \xC2\xAB Compl\xC3\xA9ter en mettant... \xC2\xBB).\n"
        "                    Titres en UTF-8, convertis en Windows-1252 (un accent tap\xC3\xA9 \xC3\xA0 part est\n"
        "                    compos\xC3\xA9 avec sa lettre) ; un caract\xC3\xA8re absent de Windows-1252 est\n"
        "                    une erreur qui le nomme. Le balisage d'un titre agit comme balisage.\n"
        "  --format F        format des fichiers :\n";
    std::string extensions;
    for (const OutputFormat &f : formats) {
        text += "                      " + f.name + std::string(f.name.size() < 8 ? 8 - f.name.size() : 1, ' ') +
                f.description + "\n";
        if (!f.extension.empty())
            extensions += (extensions.empty() ? "." : ", .") + f.extension;
    }
    text += "                    Sans --format, l'extension de CHEMIN le choisit (" + extensions + ") ;\n"
            "                    sans extension connue, rtf.\n";
    text +=
        "  -h, --help        affiche cette aide.\n"
        "  --version         affiche le num\xC3\xA9ro de version.\n"
        "\n"
        "En cas de succ\xC3\xA8s, affiche la r\xC3\xA9" "f\xC3\xA9rence de chaque fiche (\xC2\xAB Ref 000_031 \xC2\xBB), une par\n"
        "ligne dans l'ordre A, B..., ou une ligne vide si aucune fiche n'a \xC3\xA9t\xC3\xA9 commenc\xC3\xA9" "e.\n"
        "Tous les fichiers sont \xC3\xA9" "crits, ou aucun : si l'un ne peut \xC3\xAAtre cr\xC3\xA9\xC3\xA9 ou \xC3\xA9" "crit (disque\n"
        "plein...), les fichiers existants restent tels quels.\n"
        "Codes de sortie : 0 succ\xC3\xA8s ; 1 fichier impossible \xC3\xA0 cr\xC3\xA9" "er ou \xC3\xA0 \xC3\xA9" "crire ; 2 arguments\n"
        "invalides (aucun fichier n'est alors \xC3\xA9" "crit).\n"
        "\n"
        "Exemple : trois versions d'une fiche de multiplications et de divisions, en PDF :\n"
        "  oxeln-compose --versions 3 --format pdf --out interro.pdf x :\n";
    return text;
}

int runComposer(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
                const std::vector<OutputFormat> &formats)
{
    const ParseResult parsed = parseArguments(args, formats);
    if (parsed.status == ParseResult::Status::Help) {
        out << helpText(formats);
        return 0;
    }
    if (parsed.status == ParseResult::Status::Version) {
        out << ProgramName << " " << OXELN_VERSION << "\n";
        return 0;
    }
    if (parsed.status == ParseResult::Status::Error) {
        err << ProgramName << " : " << parsed.error << "\n"
            << "Usage : " << ProgramName << " [options] --out CHEMIN EXERCICE... (voir " << ProgramName
            << " --help)\n";
        return 2;
    }

    const ComposeOptions &options = parsed.options;
    const auto format = std::find_if(formats.begin(), formats.end(),
                                     [&options](const OutputFormat &f) { return f.name == options.format; });
    return writeVersions(options, *format, out, err);
}

} // namespace oxeln::compose
