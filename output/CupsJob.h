#pragma once

#include <QByteArray>
#include <QString>

class QPrinter;

namespace oxeln {

// Hands a PDF file to the printer's CUPS queue as one job named jobName,
// with the options the toolkit's print engine gives the files it makes
// itself: the page size, the copy count and collation, the sides, the
// orientation and the printer's own options. False when no temporary file
// could hold it (the engine's job would not start either); the spooler's
// answer is not waited for, as the engine does not wait for it.
bool SubmitPdfToCups(QPrinter &printer, const QString &jobName, const QByteArray &pdf);

// Whether the CUPS library is there to take jobs (else the toolkit prints).
bool CanSubmitToCups();

} // namespace oxeln
