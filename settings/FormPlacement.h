#pragma once

#include "IniFile.h"
#include "WindowFrame.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <QString>

#include <functional>
#include <optional>

namespace oxeln {

// The settings file of an executable: its full path with the extension (the
// part of the file name from its last ".") replaced by ".ini", or ".ini"
// appended to a name without a dot.
QString iniPathForExecutable(const QString &executablePath);

// What the placement keys depend on: the primary screen's size in pixels and
// its logical density.
struct ScreenMetrics
{
    QSize size;
    int pixelsPerInch = 96;
};

ScreenMetrics primaryScreenMetrics();

// Keeps a top-level window's placement (normal rectangle of the outer frame,
// normal/maximized/minimized state, screen size and density it was saved
// under) in one section of an INI file.
//
// The window forwards three moments to it:
//   showEvent (before the window is on screen)   -> onFirstShow()
//   closeEvent, after its own close query       -> onCloseRequest(allowed)
//   first statement of its destructor            -> onDestroy()
// Errors met there are handed to the error reporter; called directly,
// RestoreSettings() and SaveSettings() throw SettingsError.
class TFormPlacement : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFormPlacement)

public:
    using ErrorReporter = std::function<void(const QString &message)>;
    using ScreenProvider = std::function<ScreenMetrics()>;

    // The section used when none is set: the main window's section, whatever
    // the window class is called here.
    static QString defaultSection() { return QStringLiteral("TForm1"); }

    // The store is owned by the window (its QObject parent).
    explicit TFormPlacement(QWidget *window);
    ~TFormPlacement() override;

    QWidget *window() const { return m_window; }
    // The window's outer rectangle, as the store reads and places it.
    WindowFrame *frame() const { return m_frame; }

    void setIniFileName(const QString &fileName) { m_iniFileName = fileName; }
    const QString &iniFileName() const { return m_iniFileName; }
    // Where the settings go when the file named by iniFileName can no longer
    // be written at save time (its medium or folder turned read-only, or it
    // was write-protected): the user's own file, which then starts as a copy
    // of the other one and is used from then on. None by default.
    void setFallbackIniFileName(const QString &fileName) { m_fallbackIniFileName = fileName; }
    const QString &fallbackIniFileName() const { return m_fallbackIniFileName; }
    // The file the next write goes to: iniFileName, or the fallback when
    // that can no longer be written (its folder made, the file started as
    // a copy of the other), which then becomes iniFileName. Whatever else
    // writes to the settings file asks here, so that it writes where the
    // store does.
    const QString &iniFileNameForWriting();
    void setIniSection(const QString &section) { m_iniSection = section; }
    QString iniSection() const;

    void setActive(bool active) { m_active = active; }
    bool isActive() const { return m_active; }
    // A file whose "FormVersion" is below this is not applied.
    void setVersion(qint32 version) { m_version = version; }
    qint32 version() const { return m_version; }

    // Receives every error that the hooks meet; qWarning when not set.
    void setErrorReporter(ErrorReporter reporter) { m_errorReporter = std::move(reporter); }
    // The screen size and density to use, for tests; the primary screen's
    // when not set.
    void setScreenProvider(ScreenProvider provider) { m_screenProvider = std::move(provider); }

    bool isRestored() const { return m_restored; }
    bool isSaved() const { return m_saved; }

    void RestoreSettings();
    void SaveSettings();

    void onFirstShow();
    void onCloseRequest(bool closeAllowed);
    void onDestroy();

signals:
    // Raised after every completed save.
    void placementSaved();
    // Raised after the stored placement and values were applied.
    void placementRestored();

protected:
    // One read or write pass over the file: the pass lives while
    // RestoreSettings or SaveSettings runs. The file is read once per pass,
    // and a save applies its twenty updates to the text in memory, in their
    // order, then replaces the file once.
    virtual void savePlacement();
    virtual void restorePlacement();
    virtual QString readString(const QString &section, const QString &key,
                               const QString &defaultValue);
    virtual void writeString(const QString &section, const QString &key, const QString &value);

    // The same, in the store's section.
    QString readValue(const QString &key, const QString &defaultValue)
    {
        return readString(iniSection(), key, defaultValue);
    }
    void writeValue(const QString &key, const QString &value)
    {
        writeString(iniSection(), key, value);
    }
    qint32 readInteger(const QString &key, qint32 defaultValue);
    void writeInteger(const QString &key, qint32 value);

    bool isDestroying() const { return m_destroying; }
    void reportError(const QString &message) const;

private:
    ScreenMetrics screenMetrics() const;
    void readStateHalf(qint32 flags);
    void runHook(const std::function<void()> &action);

    QPointer<QWidget> m_window;
    QString m_iniFileName;
    QString m_fallbackIniFileName;
    QString m_iniSection;
    bool m_active = true;
    qint32 m_version = 0;
    ErrorReporter m_errorReporter;
    ScreenProvider m_screenProvider;

    bool m_restored = false;
    bool m_saved = false;
    bool m_destroying = false;
    bool m_firstShowDone = false;
    bool m_lossyWrite = false;

    std::optional<IniFilePass> m_pass;
    WindowFrame *m_frame = nullptr;
};

} // namespace oxeln
