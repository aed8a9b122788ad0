#pragma once

#include <QString>
#include <QStringView>

class QObject;

namespace oxeln {

// One kind of control property that the settings store can keep: how to
// read it as the text of the settings file and how to apply such a text
// through the control's normal setter (so the control reacts as to a user's
// change: a spin box clamps, a check box emits toggled).
struct StoredProperty
{
    // The declared name, used in the key ("spmaxvaleur_Value").
    QString name;
    bool (*supports)(const QObject *component);
    QString (*read)(const QObject *component);
    void (*apply)(QObject *component, const QString &text);

    // The property of that name (without regard to case) that the component
    // has, or nullptr.
    static const StoredProperty *find(const QObject *component, QStringView name);
};

} // namespace oxeln
