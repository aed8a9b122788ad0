// The behaviours of the main window: activation, close, drills, the editing
// lock with its caret pinning, the link label and the output buttons.
#include "UOxeln.h"

#include "MarkupToRtf.h"

#include "CaptionCipher.h"
#include "ErrorBox.h"
#include "Platform.h"
#include "PreviewPanel.h"
#include "RichTextView.h"
#include "RtfCodePage.h"
#include "SpinEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include <utility>

const char *TForm1::catalogueUrl()
{
    return "https://www.editions-galverne.fr/catalogue/mathematiques?origine=oxeln";
}

void TForm1::connectHandlers()
{
    connect(btnPlus, &QPushButton::clicked, this, &TForm1::btnPlusClick);
    connect(btnMoins, &QPushButton::clicked, this, &TForm1::btnMoinsClick);
    connect(btnMult, &QPushButton::clicked, this, &TForm1::btnMultClick);
    connect(btnPuiss, &QPushButton::clicked, this, &TForm1::btnPuissClick);
    connect(btnDivise, &QPushButton::clicked, this, &TForm1::btnDiviseClick);
    connect(btnSA, &QPushButton::clicked, this, &TForm1::btnSAClick);
    connect(btnSAS, &QPushButton::clicked, this, &TForm1::btnSASClick);
    connect(btnRAZ, &QPushButton::clicked, this, &TForm1::btnRAZClick);
    connect(btnChoixImp, &QPushButton::clicked, this, &TForm1::btnChoixImpClick);
    connect(btnApercu, &QPushButton::clicked, this, &TForm1::btnApercuClick);
    connect(btnImprime, &QPushButton::clicked, this, &TForm1::btnImprimeClick);
    connect(btnEnregistre, &QPushButton::clicked, this, &TForm1::btnEnregistreClick);
    connect(ckbEdite, &QCheckBox::toggled, this, &TForm1::ckbEditeClick);
    connect(RxE1, &oxeln::RichTextView::OnChange, this, &TForm1::RxE1Change);
    connect(spmaxvaleur, &oxeln::SpinEdit::numberFieldClicked, this, &TForm1::spmaxvaleurClick);
}

// ---- Start and end -------------------------------------------------------

void TForm1::FormCreate()
{
    // The settings store reads this file at the first showing.
    setSettingsFile(settingsPathForExecutable());

    if (!oxeln::DebuggerAttached())
        return;
    // Build stamp: which executable, and when it ran under the debugger.
    QFile stamp(QStringLiteral("_DatCompil.txt"));
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    QString longTime = locale.timeFormat(QLocale::LongFormat);
    longTime.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    const QString text = QFileInfo(QCoreApplication::applicationFilePath()).fileName()
        + QStringLiteral(" : ") + locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(now.time(), longTime.trimmed());
    if (!stamp.open(QIODevice::WriteOnly | QIODevice::Truncate) || stamp.write(oxeln::cp1252::encode(text)) < 0)
        oxeln::ShowErrorBox(this, QStringLiteral("Impossible de créer le fichier %1").arg(stamp.fileName()));
}

void TForm1::reseedRandomSource()
{
    // Milliseconds since midnight, universal time.
    const QTime now = QDateTime::currentDateTimeUtc().time();
    m_worksheet.random().seed(static_cast<std::uint32_t>(now.msecsSinceStartOfDay()));
}

void TForm1::FormActivate()
{
    reseedRandomSource();
    setWindowTitle(oxeln::cp1252::decode(QByteArray::fromStdString(oxeln::MainWindowCaption())));
}

void TForm1::FormCloseQuery(bool &canClose)
{
    hidePreview();
    // The page files and the probe file, in the program's own folder: files
    // of those names in the current folder are the user's.
    ScrollBox1->removeScratchFiles();
    if (oxeln::OnRemovableDrive(QCoreApplication::applicationFilePath())) {
        // Centred in the client area as it is now; painted before the save starts.
        Panel3->move((width() - Panel3->width()) / 2, (height() - Panel3->height()) / 2);
        Panel3->show();
        Panel3->raise();
        Panel3->repaint();
        repaint();
    }
    canClose = true;
}

void TForm1::changeEvent(QEvent *event)
{
    // Coming back from the projection leaves the draws as they were, so the
    // next worksheet is the one it would have been without projecting.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()
        && !std::exchange(m_activationFromProjection, false))
        FormActivate();
    QWidget::changeEvent(event);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    closeProjection();
    bool canClose = true;
    FormCloseQuery(canClose);
    saveSettingsAtClose(canClose);
    event->setAccepted(canClose);
}

void TForm1::FormStorage1SavePlacement()
{
}

// ---- Link label, title lines, max value step --------------------------------

void TForm1::FormMouseMove()
{
    QFont font = Label9->font();
    font.setBold(false);
    Label9->setFont(font);
}

void TForm1::Label9MouseMove()
{
    QFont font = Label9->font();
    font.setBold(true);
    Label9->setFont(font);
}

void TForm1::Label9Click()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(catalogueUrl())));
}

void TForm1::mouseMoveEvent(QMouseEvent *event)
{
    // Moves over child controls reach here too when they ignore them; only
    // the bare background counts.
    if (!childAt(event->position().toPoint()))
        FormMouseMove();
    QWidget::mouseMoveEvent(event);
}

void TForm1::spmaxvaleurClick()
{
    spmaxvaleur->setSingleStep(spmaxvaleur->singleStep() == 100 ? 1 : 100);
}

void TForm1::ETitre1Enter(QLineEdit *sender)
{
    QPalette colours = sender->palette();
    colours.setColor(QPalette::Base, QColor::fromRgb(kTitleFocusColour));
    colours.setColor(QPalette::Text, Qt::black);
    sender->setPalette(colours);
}

void TForm1::ETitre1Exit(QLineEdit *sender)
{
    QPalette colours = sender->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    sender->setPalette(colours);
}

// ---- Drills ------------------------------------------------------------------

void TForm1::runDrill(oxeln::Drill drill)
{
    // Recorded with what it reads, to draw the worksheet's versions B...
    m_clicks.runDrill(m_worksheet, drill, *this);
    // The views hold what the drills wrote again.
    showHandEdits();
}

void TForm1::btnPlusClick() { runDrill(oxeln::Drill::Plus); }
void TForm1::btnMoinsClick() { runDrill(oxeln::Drill::Minus); }
void TForm1::btnMultClick() { runDrill(oxeln::Drill::Mult); }
void TForm1::btnPuissClick() { runDrill(oxeln::Drill::Power); }
void TForm1::btnDiviseClick() { runDrill(oxeln::Drill::Divide); }
void TForm1::btnSAClick() { runDrill(oxeln::Drill::S1); }
void TForm1::btnSASClick() { runDrill(oxeln::Drill::S2); }

int TForm1::subjectLineCount() { return RxE1->LineCount(); }
int TForm1::answerLineCount() { return RxE2->LineCount(); }

std::string TForm1::title(int line)
{
    const QLineEdit *edit = line == 1 ? ETitre1 : line == 2 ? Etitre2 : Etitre3;
    return oxeln::cp1252::encode(edit->text()).toStdString();
}

bool TForm1::answerKeyEnabled() { return CBCorrige->isChecked(); }
int TForm1::maxValue() { return spmaxvaleur->value(); }
int TForm1::lineCount() { return spMaxLigne->value(); }
int TForm1::interlineCount() { return spinterligne->value(); }

void TForm1::setCounterCaption(const std::string &caption)
{
    pnlNb->setText(QString::fromStdString(caption));
}

void TForm1::hidePreview()
{
    ScrollBox1->hidePanel();
}

namespace {

// A view that shows the previous text of the stream reads only the new end,
// straight from the worksheet's bytes; otherwise (the first drill of a
// worksheet, a view edited or emptied since) it reads the whole.
void setViewRtf(oxeln::RichTextView *view, const oxeln::DocumentRtf &rtf)
{
    const auto borrowed = [](std::string_view bytes) {
        return QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    };
    const QByteArray tail = borrowed(rtf.tail);
    if (view->ContinuesRtf(tail, qsizetype(rtf.offset), rtf.stream)) {
        view->AppendRtf(tail, qsizetype(rtf.offset), rtf.stream, qsizetype(rtf.stable));
        return;
    }
    const std::string whole = rtf.offset == 0 ? std::string() : oxeln::WholeRtf(rtf);
    view->SetRtfText(borrowed(rtf.offset == 0 ? rtf.tail : std::string_view(whole)), rtf.stream,
                     qsizetype(rtf.stable));
}

} // namespace

void TForm1::setSubjectRtf(const oxeln::DocumentRtf &rtf)
{
    setViewRtf(RxE1, rtf);
}

void TForm1::setAnswerRtf(const oxeln::DocumentRtf &rtf)
{
    setViewRtf(RxE2, rtf);
}

// ---- Editing lock and view rules ----------------------------------------------

void TForm1::ckbEditeClick()
{
    m_editingUnlocked = ckbEdite->isChecked();
    RxE1->SetReadOnly(!m_editingUnlocked);
    RxE2->SetReadOnly(!m_editingUnlocked);
    RxE1->SetWantTabs(m_editingUnlocked);
    RxE2->SetWantTabs(m_editingUnlocked);
    QCoreApplication::processEvents();
}

void TForm1::RxE1Change()
{
    const bool hasContent = RxE1->HasContent();
    for (QPushButton *output : {btnImprime, btnEnregistre, btnRAZ, btnApercu})
        output->setEnabled(hasContent);
    QCoreApplication::processEvents();
}

void TForm1::btnRAZClick()
{
    hidePreview();
    RxE1->ClearContent();
    RxE2->ClearContent();
    m_worksheet.resetCounter(*this);
    // The views no longer show those clicks' worksheet: no versions of it.
    m_clicks.clear();
}

void TForm1::pinCaret(oxeln::RichTextView *view)
{
    if (m_editingUnlocked)
        return;
    view->PlaceCaret(view->ContentLength());
}

void TForm1::RxE1MouseDown() { pinCaret(RxE1); }
void TForm1::RxE1MouseUp() { pinCaret(RxE1); }
void TForm1::RxE1DragDrop() { pinCaret(RxE1); }
void TForm1::RxE1EndDrag() { pinCaret(RxE1); }
void TForm1::RxE2MouseDown() { pinCaret(RxE2); }
void TForm1::RxE2MouseUp() { pinCaret(RxE2); }
void TForm1::RxE2DragDrop() { pinCaret(RxE2); }
void TForm1::RxE2EndDrag() { pinCaret(RxE2); }

bool TForm1::RxE1DragOver()
{
    pinCaret(RxE1);
    return m_editingUnlocked;
}

bool TForm1::RxE2DragOver()
{
    pinCaret(RxE2);
    return m_editingUnlocked;
}
