#include "RtfKeywords.h"

#include <unordered_map>

namespace oxeln::rtf {

namespace {

using Map = std::unordered_map<std::string_view, KeywordInfo>;

Map buildMap()
{
    Map map;
    const auto add = [&map](std::string_view name, Keyword k, char16_t c = 0) {
        map.emplace(name, KeywordInfo{k, c});
    };
    add("ansi", Keyword::Ansi);
    add("mac", Keyword::Mac);
    add("pc", Keyword::Pc);
    add("pca", Keyword::Pca);
    add("ansicpg", Keyword::AnsiCpg);
    add("deff", Keyword::Deff);
    add("deftab", Keyword::DefTab);
    add("uc", Keyword::Uc);
    add("u", Keyword::U);
    add("upr", Keyword::Upr);
    add("ud", Keyword::Ud);

    add("fonttbl", Keyword::FontTable);
    add("colortbl", Keyword::ColorTable);
    // Groups whose text is not part of the visible document.
    for (const std::string_view name : {
             "stylesheet", "info", "pict", "object", "header", "headerl", "headerr",
             "headerf", "footer", "footerl", "footerr", "footerf", "footnote",
             "annotation", "atnid", "atnauthor", "atndate", "atnref", "atnicn",
             "atrfstart", "atrfend", "fldinst", "xe", "tc", "txe", "rxe", "bkmkstart",
             "bkmkend", "listtable", "listoverridetable", "revtbl", "filetbl", "rsidtbl",
             "shpinst", "shptxt", "shppict", "nonshppict", "themedata",
             "colorschememapping", "datastore", "latentstyles", "generator", "xmlnstbl",
             "pgdsctbl", "mmathPr", "template", "docvar", "userprops", "author",
             "operator", "title", "subject", "keywords", "comment", "doccomm",
             "creatim", "revtim", "printim", "buptim", "ftnsep", "ftnsepc", "ftncn",
             "aftnsep", "aftnsepc", "aftncn", "pn", "pnseclvl", "pntxta", "pntxtb",
             "objdata", "objclass", "objname", "listpicture", "passwordhash",
             "wgrffmtfilter", "blipuid", "sp", "sn", "sv", "private", "background",
             "do", "company", "manager", "category", "hlinkbase", "formfield"}) {
        add(name, Keyword::SkipDestination);
    }

    add("f", Keyword::F);
    add("fcharset", Keyword::FCharset);
    add("cpg", Keyword::Cpg);
    add("froman", Keyword::FRoman);
    add("fswiss", Keyword::FSwiss);
    add("fmodern", Keyword::FModern);
    add("red", Keyword::Red);
    add("green", Keyword::Green);
    add("blue", Keyword::Blue);

    add("plain", Keyword::Plain);
    add("b", Keyword::Bold);
    add("i", Keyword::Italic);
    for (const std::string_view name : {
             "ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash",
             "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash",
             "ululdbwave", "ulw", "ulwave"}) {
        add(name, Keyword::Underline);
    }
    add("ulnone", Keyword::UnderlineNone);
    add("strike", Keyword::Strike);
    add("striked", Keyword::Strike);
    add("super", Keyword::Super);
    add("sub", Keyword::Sub);
    add("nosupersub", Keyword::NoSuperSub);
    add("up", Keyword::Up); // raised by N half-points: what some writers use for superscript
    add("dn", Keyword::Down);
    add("fs", Keyword::FontSize);
    add("cf", Keyword::ForeColor);
    add("highlight", Keyword::Highlight);
    add("cb", Keyword::BackColor);
    add("chcbpat", Keyword::BackColor);
    add("v", Keyword::Hidden);

    add("pard", Keyword::Pard);
    add("ql", Keyword::AlignLeft);
    add("qr", Keyword::AlignRight);
    add("qc", Keyword::AlignCenter);
    add("qj", Keyword::AlignJustify);

    add("par", Keyword::Par);
    add("sect", Keyword::Par);
    add("page", Keyword::Par);
    add("line", Keyword::Line);
    add("tab", Keyword::Tab);
    add("cell", Keyword::Cell);
    add("nestcell", Keyword::Cell);
    add("row", Keyword::Row);
    add("nestrow", Keyword::Row);

    add("emdash", Keyword::Special, 0x2014);
    add("endash", Keyword::Special, 0x2013);
    add("bullet", Keyword::Special, 0x2022);
    add("lquote", Keyword::Special, 0x2018);
    add("rquote", Keyword::Special, 0x2019);
    add("ldblquote", Keyword::Special, 0x201C);
    add("rdblquote", Keyword::Special, 0x201D);
    add("emspace", Keyword::Special, 0x2003);
    add("enspace", Keyword::Special, 0x2002);
    add("qmspace", Keyword::Special, 0x2005);
    add("zwj", Keyword::Special, 0x200D);
    add("zwnj", Keyword::Special, 0x200C);
    add("ltrmark", Keyword::Special, 0x200E);
    add("rtlmark", Keyword::Special, 0x200F);
    return map;
}

} // namespace

KeywordInfo lookupKeyword(std::string_view name)
{
    static const Map map = buildMap();
    const auto it = map.find(name);
    return it == map.end() ? KeywordInfo{} : it->second;
}

} // namespace oxeln::rtf
