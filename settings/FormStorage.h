#pragma once

#include "FormPlacement.h"

#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>

namespace oxeln {

struct StoredProperty;

// The keys of one section of the settings file as the store's pass has
// them: what another part of the window keeps beside the store's own keys.
class SectionAccess
{
public:
    virtual ~SectionAccess() = default;
    // As the store reads its own keys: blanks trimmed, one pair of quotes
    // removed; defaultValue for an absent key.
    virtual QString read(const QString &key, const QString &defaultValue) = 0;
    virtual void write(const QString &key, const QString &value) = 0;
};

// A section kept by the store with its own keys: restored after the stored
// items (only when they are), saved after them in the same single replace
// of the file.
struct StoredSection
{
    QString name;
    std::function<void(SectionAccess &)> restore;
    std::function<void(SectionAccess &)> save;
};

// The settings store of a window: its placement, then the values of some of
// its controls, each kept under the key "<control>_<Property>".
//
// Wiring, in the window:
//   auto *store = new TFormStorage(this);            // after the controls exist
//   store->setStoredProps(TFormStorage::form1StoredProps());
//   store->setIniFileName(iniPathForExecutable(QCoreApplication::applicationFilePath()));
//   store->setErrorReporter([this](const QString &m) { showError(m); });
//   connect(store, &TFormPlacement::placementSaved, this, &TForm1::FormStorage1SavePlacement);
// plus the three hooks of TFormPlacement.
class TFormStorage : public TFormPlacement
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TFormStorage)

public:
    explicit TFormStorage(QWidget *window);
    ~TFormStorage() override;

    // The eleven stored items of the main window, in their order.
    static QStringList form1StoredProps();

    // Items "Control.Property", bound at once to the window's children
    // (names compared without regard to case). An item with an empty half or
    // naming no child is dropped; one whose property the control lacks stays
    // in the list but reads and writes nothing.
    void setStoredProps(const QStringList &items);
    QStringList storedProps() const;
    // The key of each item that reads and writes, in list order.
    QStringList storedKeys() const;

    // Sections after the store's own, in the order added. An error while
    // one is restored costs only that section.
    void addStoredSection(StoredSection section);

protected:
    void savePlacement() override;
    void restorePlacement() override;
    virtual void writeStoredItems();
    virtual void readStoredItems();

private:
    class Section;
    struct Item
    {
        QString text;
        QPointer<QObject> component;
        const StoredProperty *property = nullptr;
        QString key;
    };

    QList<Item> m_items;
    QList<StoredSection> m_sections;
};

} // namespace oxeln
