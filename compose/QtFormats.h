#pragma once

#include "Composer.h"

#include <memory>
#include <vector>

class QGuiApplication;

namespace oxeln::compose {

// The application that fonts need, made the first time a format needs it,
// so that a composer writing RTF or plain text starts none. It sees none of
// the composer's arguments and goes with this object.
class QtApplication
{
public:
    explicit QtApplication(char *programName);
    ~QtApplication();
    QtApplication(const QtApplication &) = delete;
    QtApplication &operator=(const QtApplication &) = delete;

    void ensure();

private:
    int m_argc = 1;
    char *m_argv[2];
    std::unique_ptr<QGuiApplication> m_application;
};

// Each document as a rich text view holds it, read from its RTF:
// "pdf": the window's PDF file (A4, 10 mm margins, paginated as printing);
// "odt": the window's OpenDocument file;
// "txt": the view's plain text in Windows-1252, paragraphs ending in CR LF.
// The first two make the application when first used.
std::vector<OutputFormat> qtFormats(QtApplication &application);

// The composer shows no window: without a chosen platform it runs offscreen,
// so that it works without a display, and Qt's own notices (about the
// runtime folder, fonts...) stay out of its error output, which is its
// interface. Call before creating the application.
void prepareHeadlessQt();

} // namespace oxeln::compose
