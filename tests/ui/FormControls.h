// A control of the main window found by its objectName, as the window tests
// reach every control; a missing one ends the test run at once, naming it.
#pragma once

#include <QLatin1String>
#include <QObject>
#include <QtGlobal>

template<typename T> T *formControl(const QObject *form, const char *name)
{
    T *found = form->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("missing control %s", name);
    return found;
}
