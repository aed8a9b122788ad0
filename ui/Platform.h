#pragma once

#include <QByteArray>
#include <QString>

namespace oxeln {

// Whether a debugger (any tracer) is attached to this process.
bool DebuggerAttached();

// The tracer's process id in the text of a /proc/PID/status file; 0 when no
// tracer is attached or the text does not say.
int TracerPidIn(const QByteArray &status);

// Whether the file lies on a removable block device. Any doubt answers no.
bool OnRemovableDrive(const QString &path);

} // namespace oxeln
