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

// Keeps every large block of memory (a long document's text and tables)
// mapped on its own for the whole run. By default the C library raises that
// threshold after the first large block is freed and serves the next ones
// from the heap, where they grow by copying and, once freed, leave holes
// that the process keeps: replacing an edited worksheet of a thousand
// drills would then peak some 20 MB higher. Called by main() before the
// window is made.
void TuneMemoryAllocator();

} // namespace oxeln
