#pragma once

#include "Composer.h"

#include <vector>

namespace oxeln::compose {

// Each document read as a rich text view reads it, then:
// "pdf": the window's PDF file (A4, 10 mm margins, paginated as printing);
// "odt": the window's OpenDocument file;
// "txt": the view's plain text in Windows-1252, paragraphs ending in CR LF.
// They need a QGuiApplication (fonts).
std::vector<OutputFormat> qtFormats();

// The composer shows no window: without a chosen platform it runs offscreen,
// so that it works without a display, and Qt's own notices (about the
// runtime folder, fonts...) stay out of its error output, which is its
// interface. Call before creating the application.
void prepareHeadlessQt();

} // namespace oxeln::compose
