#pragma once

#include <QString>

namespace oxeln {

// Whether a debugger (any tracer) is attached to this process.
bool DebuggerAttached();

// Whether the file lies on a removable block device. Any doubt answers no.
bool OnRemovableDrive(const QString &path);

} // namespace oxeln
