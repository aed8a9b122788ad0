#include "FormStorage.h"

#include "StoredProperty.h"

#include <QWidget>

#include <algorithm>

namespace oxeln {

namespace {

// Blanks and control characters at either end go (a title typed with
// trailing blanks is stored without them).
QString trimControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

// A section's keys through the store's pass over the file.
class TFormStorage::Section : public SectionAccess
{
public:
    Section(TFormStorage &store, const QString &name) : m_store(store), m_name(name) {}
    QString read(const QString &key, const QString &defaultValue) override
    {
        return m_store.readString(m_name, key, defaultValue).trimmed();
    }
    void write(const QString &key, const QString &value) override
    {
        m_store.writeString(m_name, key, quoteIniValue(value));
    }

private:
    TFormStorage &m_store;
    const QString &m_name;
};

TFormStorage::TFormStorage(QWidget *window)
    : TFormPlacement(window)
{
}

TFormStorage::~TFormStorage() = default;

QStringList TFormStorage::form1StoredProps()
{
    return {
        QStringLiteral("spmaxvaleur.Value"),
        QStringLiteral("spMaxLigne.Value"),
        QStringLiteral("spinterligne.Value"),
        QStringLiteral("CBCorrige.Checked"),
        QStringLiteral("ETitre1.Text"),
        QStringLiteral("Etitre2.Text"),
        QStringLiteral("Etitre3.Text"),
        QStringLiteral("spCorriges.Value"),
        QStringLiteral("spSujets.Value"),
        QStringLiteral("SaveDialog1.InitialDir"),
        QStringLiteral("ckbEdite.Checked"),
    };
}

void TFormStorage::setStoredProps(const QStringList &items)
{
    m_items.clear();
    const QList<QObject *> children =
        window() ? window()->findChildren<QObject *>() : QList<QObject *>();
    for (const QString &text : items) {
        const qsizetype dot = text.indexOf(u'.');
        if (dot < 0)
            continue;
        const QString componentName = text.left(dot).trimmed();
        const QString propertyName = text.mid(dot + 1).trimmed();
        if (componentName.isEmpty() || propertyName.isEmpty())
            continue;
        const auto found = std::find_if(children.cbegin(), children.cend(), [&](const QObject *child) {
            return child->objectName().compare(componentName, Qt::CaseInsensitive) == 0;
        });
        if (found == children.cend())
            continue;
        Item item{text, *found, StoredProperty::find(*found, propertyName), QString()};
        if (item.property)
            item.key = (*found)->objectName() + u'_' + item.property->name;
        m_items.append(item);
    }
}

QStringList TFormStorage::storedProps() const
{
    QStringList texts;
    for (const Item &item : m_items)
        texts.append(item.text);
    return texts;
}

QStringList TFormStorage::storedKeys() const
{
    QStringList keys;
    for (const Item &item : m_items) {
        if (item.property)
            keys.append(item.key);
    }
    return keys;
}

void TFormStorage::addStoredSection(StoredSection section)
{
    m_sections.append(std::move(section));
}

void TFormStorage::savePlacement()
{
    TFormPlacement::savePlacement();
    writeStoredItems();
    for (const StoredSection &stored : std::as_const(m_sections)) {
        Section section(*this, stored.name);
        stored.save(section);
    }
}

void TFormStorage::restorePlacement()
{
    TFormPlacement::restorePlacement();
    readStoredItems();
    for (const StoredSection &stored : std::as_const(m_sections)) {
        try {
            Section section(*this, stored.name);
            stored.restore(section);
        } catch (const std::exception &) {
        }
    }
}

void TFormStorage::writeStoredItems()
{
    for (const Item &item : m_items) {
        if (!item.property || !item.component)
            continue;
        writeValue(item.key, quoteIniValue(trimControls(item.property->read(item.component))));
    }
}

void TFormStorage::readStoredItems()
{
    for (const Item &item : m_items) {
        if (!item.property || !item.component)
            continue;
        // One unreadable or refused value costs only its own item.
        try {
            const QString current = item.property->read(item.component);
            item.property->apply(item.component, trimControls(readValue(item.key, current)));
        } catch (const std::exception &) {
        }
    }
}

} // namespace oxeln
