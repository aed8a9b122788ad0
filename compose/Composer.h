#pragma once

#include "Worksheet.h"

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace oxeln::compose {

// One click of the run: a drill button, or "RAZ" when drill is empty.
struct ComposeStep
{
    std::optional<Drill> drill;
};

struct ComposeOptions
{
    std::optional<std::uint32_t> seed; // none: from the clock
    std::int32_t maxValue = 100;
    std::int32_t lineCount = 30;
    std::int32_t interlineCount = 2;
    bool answerKey = true;
    std::array<std::string, 3> titles; // Windows-1252; the defaults unless given
    std::string format = "rtf";
    std::string outPath;
    std::vector<ComposeStep> steps;

    ComposeOptions();
};

// Both documents in the worksheet markup, as the run left them.
struct ComposedWorksheet
{
    std::string referenceCode; // empty when no worksheet was started
    std::string subject;
    std::string answer;
};

// Writes one document (given as markup) to path; false when the file
// cannot be created or written.
using DocumentWriter = std::function<bool(const std::string &path, const std::string &markup)>;

struct OutputFormat
{
    std::string name;        // value of --format
    std::string description; // one line for --help
    DocumentWriter write;
};

// "markup" (the raw documents) and "rtf" (their conversion). Other formats
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
// among the drills, as "--opt value" or "--opt=value".
ParseResult parseArguments(const std::vector<std::string> &args, const std::vector<OutputFormat> &formats);

// Runs the clicks on one worksheet with two stand-in views.
ComposedWorksheet composeWorksheet(const ComposeOptions &options);

// PATH without its extension + "_Cor" + the extension ("fiche.rtf" gives
// "fiche_Cor.rtf"); only a dot in the file name part starts an extension.
std::string answerPathFor(const std::string &subjectPath);

// Milliseconds since midnight UTC, as the window seeds on activation.
std::uint32_t clockSeed();

std::string helpText(const std::vector<OutputFormat> &formats);

// The whole command: parse, compose, write both files, print the reference
// code. Returns the exit code: 0, 1 (a file could not be created), 2 (bad
// input, nothing written).
int runComposer(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
                const std::vector<OutputFormat> &formats);

} // namespace oxeln::compose
