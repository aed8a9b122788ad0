#include "PreviewPanel.h"

#include "PageImage.h"
#include "RichEditEMFPrint.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QShortcut>
#include <QWindow>

namespace oxeln {

namespace {

const QString kPageBase = QStringLiteral("Temp");
const QString kPage0 = QStringLiteral("Temp0.svg");
const QString kPage1 = QStringLiteral("Temp1.svg");
const QString kProbe = QStringLiteral("TWFile.txt");

void fillBackground(QWidget *widget, const QColor &colour, const QColor &text)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, colour);
    colours.setColor(QPalette::WindowText, text);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, const QPoint &at)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    return label;
}

// A white frame holding one page picture.
PageImage *makePage(QWidget *parent, const QString &frameName, const QString &imageName, int top)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(frameName);
    frame->setGeometry(5, top, 460, 634);
    fillBackground(frame, Qt::white, Qt::black);
    auto *image = new PageImage(frame);
    image->setObjectName(imageName);
    image->setGeometry(20, 20, 420, 594);
    return image;
}

} // namespace

PreviewPanel::PreviewPanel(QWidget *parent)
    : QScrollArea(parent)
{
    setObjectName(QStringLiteral("ScrollBox1"));
    setFixedWidth(kWidth);
    resize(kWidth, kHeight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("ScrollBox1Content"));
    content->setMinimumHeight(kContentHeight);
    content->setMaximumHeight(kContentHeight);
    fillBackground(content, palette().color(QPalette::Button), palette().color(QPalette::ButtonText));

    makeLabel(content, QStringLiteral("Label11"), QStringLiteral("Page 1"), QPoint(217, 8));
    m_image1 = makePage(content, QStringLiteral("pnlImage1"), QStringLiteral("Image1"), 25);
    makeLabel(content, QStringLiteral("Label12"), QStringLiteral("Page 2"), QPoint(217, 668));
    m_image2 = makePage(content, QStringLiteral("pnlImage2"), QStringLiteral("Image2"), 685);
    for (const auto &[name, top] : {std::pair{QStringLiteral("lblfin_scrbox"), 1252},
                                    std::pair{QStringLiteral("Label13"), 1312}}) {
        QLabel *end = makeLabel(content, name, QString(), QPoint(24, top));
        end->resize(3, 13);
    }

    setWidgetResizable(true);
    setWidget(content);
    fillBackground(this, palette().color(QPalette::Button), palette().color(QPalette::ButtonText));
    hide();
}

PreviewPanel::~PreviewPanel()
{
    // Without an owner window, the floating window is ours to dispose of.
    if (m_floatWindow && !m_floatWindow->parent())
        m_floatWindow->deleteLater();
}

QString PreviewPanel::scratchFolder()
{
    if (!m_scratch) {
        m_scratch = std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("oxeln-XXXXXX")));
        if (!m_scratch->isValid()) {
            m_scratch.reset();
            return QString();
        }
    }
    return m_scratch->path();
}

void PreviewPanel::removeScratchFiles()
{
    if (!m_scratch)
        return;
    const QDir folder(m_scratch->path());
    for (const QString &name : {kPage0, kPage1, kProbe}) {
        if (folder.exists(name))
            QFile::remove(folder.filePath(name));
    }
    m_scratch.reset(); // the folder goes with whatever else is in it
}

void PreviewPanel::preview(const QTextDocument &subject, qreal sourceDpi)
{
    // Never the current folder: the program's own, wherever it was started
    // from and wherever the last save went.
    const QPointer<const QTextDocument> alive(&subject);
    const QString folder = scratchFolder();
    if (!CanWriteWorkDir(folder))
        return;
    const QDir scratch(folder);
    const QString page0 = scratch.filePath(kPage0);
    const QString page1 = scratch.filePath(kPage1);
    QFile::remove(page0);
    QFile::remove(page1);
    m_image1->clear();
    m_image2->clear();
    QCoreApplication::processEvents();

    if (alive && CanWriteWorkDir(folder))
        RenderPagesToEmf(subject, sourceDpi, scratch.filePath(kPageBase));
    QCoreApplication::processEvents();

    // A page that could not be made again leaves an earlier file of its
    // name, which is then shown.
    if (QFile::exists(page0))
        m_image1->load(page0);
    if (QFile::exists(page1))
        m_image2->load(page1);
    verticalScrollBar()->setValue(0);
    showFloating();
}

void PreviewPanel::hidePanel()
{
    hide();
}

QWidget *PreviewPanel::floatingWindow() const
{
    return m_floatWindow;
}

void PreviewPanel::setVisible(bool visible)
{
    QScrollArea::setVisible(visible);
    if (m_floatWindow && m_floatWindow->isVisible() != visible)
        m_floatWindow->setVisible(visible);
}

bool PreviewPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Closing the floating window hides the panel with it.
    if (watched == m_floatWindow && event->type() == QEvent::Close)
        hide();
    // It stays on top of other windows, but not of the program's own
    // dialogs (printer, save, error boxes): while one is up, it drops that.
    if (watched == m_floatWindow
        && (event->type() == QEvent::WindowBlocked || event->type() == QEvent::WindowUnblocked)) {
        if (QWindow *handle = m_floatWindow->windowHandle())
            handle->setFlag(Qt::WindowStaysOnTopHint, event->type() == QEvent::WindowUnblocked);
    }
    return QScrollArea::eventFilter(watched, event);
}

void PreviewPanel::showFloating()
{
    if (!m_floatWindow) {
        QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
        auto *window = new QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint);
        window->setObjectName(QStringLiteral("ScrollBox1Window"));
        window->setWindowTitle(QStringLiteral("Aperçu"));
        // Esc closes it, as it closes a dialog; closing hides the panel.
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
        connect(escape, &QShortcut::activated, window, &QWidget::close);
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(this);
        window->installEventFilter(this);
        window->resize(kWidth, kHeight);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        window->move((screen.width() - kWidth) / 2, (screen.height() - kHeight) / 2);
        m_floatWindow = window;
    }
    show();
    m_floatWindow->show();
    m_floatWindow->raise();
}

} // namespace oxeln
