#pragma once

#include "Composer.h"

#include <vector>

namespace oxeln::compose {

// "pdf": each document read as a rich text view reads it and printed page
// by page, as the "Imprimer" button does, to an A4 PDF file.
// "txt": the view's plain text in Windows-1252, paragraphs ending in CR LF.
// Both need a QGuiApplication (fonts, the printer).
std::vector<OutputFormat> qtFormats();

// The composer shows no window: without a chosen platform it runs offscreen,
// so that it works without a display, and Qt's own notices (about the
// runtime folder, fonts...) stay out of its error output, which is its
// interface. Call before creating the application.
void prepareHeadlessQt();

} // namespace oxeln::compose
