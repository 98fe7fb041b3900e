// Shared helpers for the tests: a private runtime folder and temporary fixture folders.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace qarn::test {

// Points XDG_RUNTIME_DIR at a fresh private folder (mode 0700) unless the caller set one,
// so Qt and our instance lock never touch /tmp/runtime-root.
void ensurePrivateRuntimeDir();

// A file's whole content written (replacing it) or read; "<missing>" when it cannot be read.
void writeBytes(const QString& fileName, const QByteArray& bytes);
QByteArray readBytes(const QString& fileName);

// Message and error boxes are recorded here instead of shown, from recordBoxes() on.
QStringList& shownBoxes();
void recordBoxes();

// Path of an executable looked up on PATH, or empty.
QString findTool(const QString& name);

} // namespace qarn::test
