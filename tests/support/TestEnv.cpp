// Shared helpers for the tests.
#include "TestEnv.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>
#include <sys/stat.h>

namespace qarn::test {

void ensurePrivateRuntimeDir() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        return;
    static QTemporaryDir dir(QDir::tempPath() + "/qarn-test-runtime-XXXXXX");
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
}

QString findTool(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

} // namespace qarn::test
