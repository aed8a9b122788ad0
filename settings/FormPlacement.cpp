#include "FormPlacement.h"

#include "SettingsError.h"
#include "SettingsLocation.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <array>

namespace oxeln {

namespace {

// Show commands and flags of the placement record as the file holds them.
constexpr qint32 ShowNormal = 1;
constexpr qint32 ShowMinimized = 2;
constexpr qint32 ShowMaximized = 3;
constexpr qint32 FlagRestoreToMaximized = 2;

constexpr Qt::WindowStates SizeStates =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

// Stored numbers are bounded before any arithmetic so that no sum overflows.
constexpr qint64 CoordinateLimit = QWIDGETSIZE_MAX;

QString sizeSuffix(const ScreenMetrics &screen)
{
    return QStringLiteral("(%1x%2)").arg(screen.size.width()).arg(screen.size.height());
}

QString formatFour(qint64 a, qint64 b, qint64 c, qint64 d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// Words separated by runs of blanks and commas; a word that reads as an
// integer replaces the value at its place, others keep it.
void readWords(const QString &text, std::array<qint64, 4> &values)
{
    size_t index = 0;
    qsizetype i = 0;
    while (index < values.size()) {
        while (i < text.size() && (text[i] == u' ' || text[i] == u','))
            ++i;
        if (i >= text.size())
            break;
        const qsizetype start = i;
        while (i < text.size() && text[i] != u' ' && text[i] != u',')
            ++i;
        if (auto value = parseIniInteger(text.mid(start, i - start)))
            values[index] = std::clamp<qint64>(*value, -CoordinateLimit, CoordinateLimit);
        ++index;
    }
}

qint32 placementFlags(Qt::WindowStates state)
{
    return (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized) ? FlagRestoreToMaximized
                                                                          : 0;
}

} // namespace

QString iniPathForExecutable(const QString &executablePath)
{
    const qsizetype slash = executablePath.lastIndexOf(u'/');
    const qsizetype dot = executablePath.lastIndexOf(u'.');
    const QString stem = dot > slash ? executablePath.left(dot) : executablePath;
    return stem + QStringLiteral(".ini");
}

ScreenMetrics primaryScreenMetrics()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return {screen->geometry().size(), qRound(screen->logicalDotsPerInch())};
}

TFormPlacement::TFormPlacement(QWidget *window)
    : QObject(window), m_window(window), m_frame(new WindowFrame(window, this))
{
    Q_ASSERT(window);
}

TFormPlacement::~TFormPlacement() = default;

QString TFormPlacement::iniSection() const
{
    return m_iniSection.isEmpty() ? defaultSection() : m_iniSection;
}

void TFormPlacement::RestoreSettings()
{
    m_saved = false;
    m_pass.emplace(m_iniFileName);
    const auto closeFile = qScopeGuard([this] { m_pass.reset(); });

    if (readInteger(QStringLiteral("FormVersion"), 0) >= m_version) {
        restorePlacement();
        emit placementRestored();
    }
    m_restored = true;
}

void TFormPlacement::SaveSettings()
{
    if (!m_restored)
        return;
    m_pass.emplace(iniFileNameForWriting());
    const auto closeFile = qScopeGuard([this] { m_pass.reset(); });
    m_lossyWrite = false;

    try {
        writeInteger(QStringLiteral("FormVersion"), m_version);
        savePlacement();
    } catch (...) {
        // As when each key was an update of its own: the keys written
        // before the failing one reach the file.
        try {
            m_pass->commit();
        } catch (const SettingsError &) {
        }
        throw;
    }
    m_pass->commit();
    emit placementSaved();
    m_saved = true;

    if (m_lossyWrite) {
        const QString path = QDir::toNativeSeparators(QFileInfo(m_iniFileName).absoluteFilePath());
        reportError(QStringLiteral("Certains caractères ne peuvent pas être enregistrés dans %1 : "
                                   "ils y sont remplacés par « ? »")
                        .arg(path));
    }
}

const QString &TFormPlacement::iniFileNameForWriting()
{
    if (!m_fallbackIniFileName.isEmpty() && !canKeepSettingsAt(m_iniFileName)) {
        prepareUserSettingsFile(m_iniFileName, m_fallbackIniFileName);
        m_iniFileName = m_fallbackIniFileName;
    }
    return m_iniFileName;
}

void TFormPlacement::onFirstShow()
{
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;
    if (m_active)
        runHook([this] { RestoreSettings(); });
}

void TFormPlacement::onCloseRequest(bool closeAllowed)
{
    if (!closeAllowed || !m_active || !m_window
        || !m_window->testAttribute(Qt::WA_WState_Created))
        return;
    runHook([this] { SaveSettings(); });
}

void TFormPlacement::onDestroy()
{
    if (!m_active || m_saved)
        return;
    m_destroying = true;
    runHook([this] { SaveSettings(); });
    m_destroying = false;
}

void TFormPlacement::runHook(const std::function<void()> &action)
{
    try {
        action();
    } catch (const SettingsError &error) {
        reportError(error.message());
    } catch (const std::exception &error) {
        reportError(QString::fromLocal8Bit(error.what()));
    }
}

void TFormPlacement::reportError(const QString &message) const
{
    if (m_errorReporter)
        m_errorReporter(message);
    else
        qWarning().noquote() << message;
}

QString TFormPlacement::readString(const QString &section, const QString &key,
                                   const QString &defaultValue)
{
    if (m_pass)
        return m_pass->readString(section, key, defaultValue);
    return TIniFile(m_iniFileName).readString(section, key, defaultValue);
}

void TFormPlacement::writeString(const QString &section, const QString &key, const QString &value)
{
    std::optional<IniFilePass> single;
    IniFilePass &pass = m_pass ? *m_pass : single.emplace(m_iniFileName);
    if (!pass.writeString(section, key, value))
        m_lossyWrite = true;
    if (single)
        single->commit();
}

qint32 TFormPlacement::readInteger(const QString &key, qint32 defaultValue)
{
    return parseIniInteger(readValue(key, QString())).value_or(defaultValue);
}

void TFormPlacement::writeInteger(const QString &key, qint32 value)
{
    writeValue(key, QString::number(value));
}

ScreenMetrics TFormPlacement::screenMetrics() const
{
    return m_screenProvider ? m_screenProvider() : primaryScreenMetrics();
}

void TFormPlacement::savePlacement()
{
    if (!m_window)
        return;
    const ScreenMetrics screen = screenMetrics();
    const Qt::WindowStates state = m_window->windowState();

    qint32 showCmd = ShowNormal;
    if (state & Qt::WindowMinimized)
        showCmd = ShowMinimized;
    else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        showCmd = ShowMaximized;

    // Only the maximized position has a meaning here; the window system
    // places minimized windows itself.
    QPoint maximizedAt(-1, -1);
    if (showCmd == ShowMaximized)
        maximizedAt = m_window->frameGeometry().topLeft();

    writeInteger(QStringLiteral("Flags"), placementFlags(state));
    writeInteger(QStringLiteral("ShowCmd"), showCmd);
    writeInteger(QStringLiteral("PixelsPerInch"), screen.pixelsPerInch);

    const QString suffix = sizeSuffix(screen);
    const QString minMax = quoteIniValue(formatFour(-1, -1, maximizedAt.x(), maximizedAt.y()));
    writeValue(QStringLiteral("MinMaxPos") + suffix, minMax);
    writeValue(QStringLiteral("MinMaxPos"), minMax);

    const QRect normal = m_frame->normalRect();
    const QString normPos = quoteIniValue(
        formatFour(normal.left(), normal.top(), qint64(normal.left()) + normal.width(),
                   qint64(normal.top()) + normal.height()));
    writeValue(QStringLiteral("NormPos") + suffix, normPos);
    writeValue(QStringLiteral("NormPos"), normPos);

    writeValue(QStringLiteral("Visible"), m_destroying ? QStringLiteral("1") : QStringLiteral("0"));
}

void TFormPlacement::restorePlacement()
{
    if (!m_window)
        return;
    const ScreenMetrics screen = screenMetrics();
    const QString suffix = sizeSuffix(screen);

    // A position given before the window existed is its frame's; placing it
    // again now that the frame is known makes the geometry agree with it, so
    // that the current edges and the normal geometry kept on maximizing are
    // the true ones.
    m_window->move(m_window->pos());

    // Position: the stored normal rectangle, if it was saved at this density.
    const qint32 flags = readInteger(QStringLiteral("Flags"), placementFlags(m_window->windowState()));
    bool found = false;
    QString minMax = readValue(QStringLiteral("MinMaxPos") + suffix, QString());
    if (minMax.isEmpty())
        minMax = readValue(QStringLiteral("MinMaxPos"), QString());
    // The minimized and maximized positions are left to the window system;
    // their presence still counts as a stored placement.
    if (!minMax.isEmpty())
        found = true;

    const QRect current = m_frame->normalRect();
    std::array<qint64, 4> edges{current.left(), current.top(),
                                qint64(current.left()) + current.width(),
                                qint64(current.top()) + current.height()};
    QString normPos = readValue(QStringLiteral("NormPos") + suffix, QString());
    if (normPos.isEmpty())
        normPos = readValue(QStringLiteral("NormPos"), QString());
    if (!normPos.isEmpty()) {
        readWords(normPos, edges);
        found = true;
    }
    if (readInteger(QStringLiteral("PixelsPerInch"), screen.pixelsPerInch) != screen.pixelsPerInch)
        found = false;
    if (found && edges[2] > edges[0]) {
        const QSize size(int(std::min(edges[2] - edges[0], CoordinateLimit)),
                         int(std::clamp<qint64>(edges[3] - edges[1], 0, CoordinateLimit)));
        // Saved on a larger screen, or at another scale: the stored values
        // stay in the file, the window comes up whole on this screen.
        const QRect stored{QPoint(int(edges[0]), int(edges[1])), size};
        m_frame->place(FitFrameInside(stored, WindowFrame::availableAreaFor(stored),
                                      m_frame->minimumFrameSize()));
    }

    readStateHalf(flags);
}

void TFormPlacement::readStateHalf(qint32 flags)
{
    enum class State { Normal, Minimized, Maximized };
    State stored = State::Normal;
    switch (readInteger(QStringLiteral("ShowCmd"), 0)) {
    case 2: case 6: case 7:
        stored = State::Minimized;
        break;
    case 3:
        stored = State::Maximized;
        break;
    default: // 1, 5, 9 and every unknown command
        break;
    }

    QWidget *window = m_window;
    const Qt::WindowStates normal = window->windowState() & ~SizeStates;
    if (stored == State::Minimized) {
        // The window appears first, then goes down to the task bar; it comes
        // back maximized when it was minimized from that state.
        if (flags & FlagRestoreToMaximized)
            window->setWindowState(normal | Qt::WindowMaximized);
        QTimer::singleShot(0, window, [window] {
            if (window->isVisible())
                window->showMinimized();
        });
        return;
    }
    window->setWindowState(stored == State::Maximized ? normal | Qt::WindowMaximized : normal);
    window->update();
}

} // namespace oxeln
