// Shared helpers for the tests: a private runtime folder and temporary fixture folders.
#pragma once

#include <QString>

namespace qarn::test {

// Points XDG_RUNTIME_DIR at a fresh private folder (mode 0700) unless the caller set one,
// so Qt and our instance lock never touch /tmp/runtime-root.
void ensurePrivateRuntimeDir();

// Path of an executable looked up on PATH, or empty.
QString findTool(const QString& name);

} // namespace qarn::test
