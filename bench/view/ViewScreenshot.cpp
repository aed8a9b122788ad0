// Shows a two-drill worksheet (subject above, answer key below) in two views
// of the window's width and saves a picture of them: a visual check of
// fonts, bold header lines, yellow answers and aligned columns.
//   view_screenshot [file.png]    (default: /tmp/oxeln-view.png)
#include "RichTextView.h"
#include "WorksheetDocuments.h"

#include <QApplication>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/oxeln-view.png");
    const oxeln::bench::WorksheetRtf sheet = oxeln::bench::chainedWorksheet(2);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *subject = new oxeln::RichTextView;
    auto *answer = new oxeln::RichTextView;
    layout->addWidget(subject);
    layout->addWidget(answer);
    window.resize(760, 560);
    window.show();
    subject->SetRtfText(sheet.subject);
    answer->SetRtfText(sheet.answer);
    QApplication::processEvents();
    return window.grab().save(file) ? 0 : 1;
}
