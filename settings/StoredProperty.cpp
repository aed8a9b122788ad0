#include "StoredProperty.h"

#include "IniFile.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSpinBox>
#include <QVariant>

#include <array>

namespace oxeln {

namespace {

const char InitialDirName[] = "InitialDir";

// Spin box value: decimal; an unreadable text counts as 0, which the spin
// box clamps to its limits.
const StoredProperty ValueProperty{
    QStringLiteral("Value"),
    [](const QObject *c) { return qobject_cast<const QSpinBox *>(c) != nullptr; },
    [](const QObject *c) { return QString::number(qobject_cast<const QSpinBox *>(c)->value()); },
    [](QObject *c, const QString &text) {
        qobject_cast<QSpinBox *>(c)->setValue(parseIniInteger(text).value_or(0));
    },
};

// Check box state: "True" or "False" in any letter case; any other word
// leaves the box as it is.
const StoredProperty CheckedProperty{
    QStringLiteral("Checked"),
    [](const QObject *c) { return qobject_cast<const QAbstractButton *>(c) != nullptr; },
    [](const QObject *c) {
        return qobject_cast<const QAbstractButton *>(c)->isChecked() ? QStringLiteral("True")
                                                                     : QStringLiteral("False");
    },
    [](QObject *c, const QString &text) {
        auto *button = qobject_cast<QAbstractButton *>(c);
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            button->setChecked(false);
        else if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            button->setChecked(true);
    },
};

// Line text. The typing limit does not cut a stored text: the limit is
// raised to the text's length, so the whole text is shown and the user can
// still not type beyond it.
const StoredProperty TextProperty{
    QStringLiteral("Text"),
    [](const QObject *c) { return qobject_cast<const QLineEdit *>(c) != nullptr; },
    [](const QObject *c) { return qobject_cast<const QLineEdit *>(c)->text(); },
    [](QObject *c, const QString &text) {
        auto *edit = qobject_cast<QLineEdit *>(c);
        if (text.size() > edit->maxLength())
            edit->setMaxLength(int(text.size()));
        edit->setText(text);
    },
};

// Starting folder of the save dialog, a property of the object that stands
// for it. One final separator is dropped, except after a drive's ":" and
// except for the root "/" itself.
const StoredProperty InitialDirProperty{
    QStringLiteral("InitialDir"),
    [](const QObject *c) { return c->property(InitialDirName).isValid(); },
    [](const QObject *c) { return c->property(InitialDirName).toString(); },
    [](QObject *c, const QString &text) {
        QString folder = text;
        if (folder.size() > 1 && (folder.endsWith(u'\\') || folder.endsWith(u'/'))
            && folder[folder.size() - 2] != u':')
            folder.chop(1);
        c->setProperty(InitialDirName, folder);
    },
};

const std::array<const StoredProperty *, 4> Registry{
    &ValueProperty, &CheckedProperty, &TextProperty, &InitialDirProperty};

} // namespace

const StoredProperty *StoredProperty::find(const QObject *component, QStringView name)
{
    for (const StoredProperty *property : Registry) {
        if (property->name.compare(name, Qt::CaseInsensitive) == 0 && property->supports(component))
            return property;
    }
    return nullptr;
}

} // namespace oxeln
