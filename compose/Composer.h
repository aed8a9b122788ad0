#pragma once

#include "Composition.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace oxeln::compose {

enum class Document { Subject, Answer };

// One document (given as markup) in a format's bytes; nothing when it
// cannot be made.
using DocumentRenderer = std::function<std::optional<std::string>(const std::string &markup, Document which)>;

// The whole worksheet (its drawn questions and header) in a format's bytes:
// one file that holds its own correction.
using SheetRenderer = std::function<std::string(const ComposedWorksheet &sheet)>;

struct OutputFormat
{
    std::string name;        // value of --format
    std::string description; // one line for --help
    DocumentRenderer render;
    // When set, the format is made from the worksheet instead of its two
    // documents: one file per version, no answer key beside it.
    SheetRenderer renderSheet = nullptr;
    // Of its files, without the dot ("pdf"); a --out path ending in it
    // chooses this format when --format is not given. Empty: none.
    std::string extension = {};
};

// "markup" (the raw documents), "rtf" (their conversion), "html" (the
// pupils' self-correcting page) and "gift" (the Moodle quiz). Other formats
// are added by the caller, before parsing, to the list it hands over.
std::vector<OutputFormat> standardFormats();

struct ParseResult
{
    enum class Status { Run, Help, Version, Error };
    Status status = Status::Error;
    ComposeOptions options;
    std::string error; // one line, for Status::Error
};

// Parses the arguments after the program name. Options may stand anywhere
// among the drills, as "--opt value" or "--opt=value". Without --format, the
// format is the one whose extension ends --out's file name (letter case
// aside), else "rtf"; a --format with an extension of its own that
// another format's extension there contradicts is an error.
ParseResult parseArguments(const std::vector<std::string> &args, const std::vector<OutputFormat> &formats);

std::string helpText(const std::vector<OutputFormat> &formats);

// The whole command: parse, compose each version, make every file, write
// them all or none (no old file is touched when one fails), print the
// reference codes, one per version. Returns the exit code: 0, 1 (a file
// could not be created or written), 2 (bad input, nothing written).
int runComposer(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
                const std::vector<OutputFormat> &formats);

} // namespace oxeln::compose
