#pragma once

// A window with the eleven stored controls of the main window, named and
// limited as there, wired to the settings store the way the main window is.

#include "FormStorage.h"
#include "SettingsError.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QWidget>

namespace oxeln::test {

inline const QString DefaultTitle1 = QStringLiteral(
    "Nom :                       Prénom :                             Classe :");

// A store that fails at one chosen key, as a medium that fills up would.
class FaultyStorage : public TFormStorage
{
public:
    using TFormStorage::TFormStorage;
    QString failAtKey;

protected:
    void writeString(const QString &section, const QString &key, const QString &value) override
    {
        if (key == failAtKey)
            throw SettingsError(QStringLiteral("Impossible d'écrire dans test"));
        TFormStorage::writeString(section, key, value);
    }
};

class TestWindow : public QWidget
{
public:
    // Everything the window and its store do is appended to *log:
    // "FormCloseQuery", "ckbEditeClick", "restored", "saved", "error: <message>".
    TestWindow(const QString &iniPath, QStringList *log,
               ScreenMetrics screen = {QSize(1024, 768), 96})
        : m_log(log), m_screen(screen)
    {
        setMinimumSize(740, 400);
        resize(760, 420);
        spmaxvaleur = addSpin("spmaxvaleur", 10, 999, 100);
        spMaxLigne = addSpin("spMaxLigne", 1, 40, 30);
        spinterligne = addSpin("spinterligne", 1, 5, 2);
        CBCorrige = addCheck("CBCorrige", true);
        ETitre1 = addEdit("ETitre1", 160, DefaultTitle1);
        Etitre2 = addEdit("Etitre2", 170, QString(166, u'-'));
        Etitre3 = addEdit("Etitre3", 160, QStringLiteral("Compléter en mettant un signe"));
        spCorriges = addSpin("spCorriges", 0, 1000, 1);
        spSujets = addSpin("spSujets", 0, 1000, 1);
        SaveDialog1 = new QObject(this);
        SaveDialog1->setObjectName("SaveDialog1");
        SaveDialog1->setProperty("InitialDir", QString());
        ckbEdite = addCheck("ckbEdite", false);
        QObject::connect(ckbEdite, &QCheckBox::toggled, ckbEdite,
                         [this] { m_log->append(QStringLiteral("ckbEditeClick")); });

        store = new FaultyStorage(this);
        store->setStoredProps(TFormStorage::form1StoredProps());
        store->setIniFileName(iniPath);
        store->setScreenProvider([this] { return m_screen; });
        store->setErrorReporter(
            [this](const QString &message) { m_log->append(QStringLiteral("error: ") + message); });
        QObject::connect(store, &TFormPlacement::placementSaved, store,
                         [this] { m_log->append(QStringLiteral("saved")); });
        QObject::connect(store, &TFormPlacement::placementRestored, store,
                         [this] { m_log->append(QStringLiteral("restored")); });

        // Opens centred on the screen at its designed size (the frame's
        // top-left corner is placed: the frame is not known yet).
        const QRect screenRect = QGuiApplication::primaryScreen()->availableGeometry();
        designedPosition = screenRect.center() - rect().center();
        designedSize = size();
        move(designedPosition);
    }

    ~TestWindow() override { store->onDestroy(); }

    void setScreen(ScreenMetrics screen) { m_screen = screen; }

    QSpinBox *spmaxvaleur = nullptr;
    QSpinBox *spMaxLigne = nullptr;
    QSpinBox *spinterligne = nullptr;
    QCheckBox *CBCorrige = nullptr;
    QLineEdit *ETitre1 = nullptr;
    QLineEdit *Etitre2 = nullptr;
    QLineEdit *Etitre3 = nullptr;
    QSpinBox *spCorriges = nullptr;
    QSpinBox *spSujets = nullptr;
    QObject *SaveDialog1 = nullptr;
    QCheckBox *ckbEdite = nullptr;

    FaultyStorage *store = nullptr;
    QPoint designedPosition;
    QSize designedSize;
    bool allowClose = true;

protected:
    void showEvent(QShowEvent *event) override
    {
        if (!event->spontaneous())
            store->onFirstShow();
        QWidget::showEvent(event);
    }

    void closeEvent(QCloseEvent *event) override
    {
        m_log->append(QStringLiteral("FormCloseQuery"));
        const bool canClose = allowClose;
        store->onCloseRequest(canClose);
        if (canClose)
            event->accept();
        else
            event->ignore();
    }

private:
    QSpinBox *addSpin(const char *name, int minimum, int maximum, int value)
    {
        auto *spin = new QSpinBox(this);
        spin->setObjectName(QString::fromLatin1(name));
        spin->setRange(minimum, maximum);
        spin->setValue(value);
        return spin;
    }

    QCheckBox *addCheck(const char *name, bool checked)
    {
        auto *check = new QCheckBox(this);
        check->setObjectName(QString::fromLatin1(name));
        check->setChecked(checked);
        return check;
    }

    QLineEdit *addEdit(const char *name, int maxLength, const QString &text)
    {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(maxLength);
        edit->setText(text);
        return edit;
    }

    QStringList *m_log;
    ScreenMetrics m_screen;
};

} // namespace oxeln::test
