#pragma once

#include <QPointer>
#include <QScrollArea>

#include <memory>

class QLabel;
class QTemporaryDir;
class QTextDocument;

namespace oxeln {

class PageImage;

// The page preview panel ScrollBox1: "Page 1" and "Page 2" as pictures of
// the first two pages of the subject. Hidden at start; the preview floats
// it in a tool window of its own, which is shown and hidden with it.
class PreviewPanel : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewPanel)

public:
    static constexpr int kWidth = 493;
    static constexpr int kHeight = 497;
    static constexpr int kContentHeight = 1325;

    explicit PreviewPanel(QWidget *parent = nullptr);
    ~PreviewPanel() override;

    // "A": renders the subject's first two pages (the subject view's
    // document; sourceDpi is the view's resolution) into Temp0.svg and
    // Temp1.svg in the scratch folder, loads them and shows the panel; with
    // no printer at all, the pages of the PDF file. Does nothing when the
    // scratch folder cannot be written. Throws AppError with the printer
    // messages when printers exist but none can be used; the old page files
    // are then gone and the pictures empty. Events run before the pages are
    // made: a subject replaced meanwhile is not rendered.
    void preview(const QTextDocument &subject, qreal sourceDpi);

    // The program's own temporary folder of the page files and the probe
    // file "TWFile.txt", made at the first use; empty when it cannot be made.
    QString scratchFolder();
    // At close: deletes the page files and the probe file, each if it
    // exists, and the folder with them.
    void removeScratchFiles();

    // Hides the panel, and its window when it floats.
    void hidePanel();

    // The tool window the panel floats in, once it has floated.
    QWidget *floatingWindow() const;
    PageImage *image1() const { return m_image1; }
    PageImage *image2() const { return m_image2; }

    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showFloating();

    PageImage *m_image1 = nullptr;
    PageImage *m_image2 = nullptr;
    QPointer<QWidget> m_floatWindow;
    std::unique_ptr<QTemporaryDir> m_scratch;
};

} // namespace oxeln
