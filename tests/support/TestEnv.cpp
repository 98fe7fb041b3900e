// Shared helpers for the tests.
#include "TestEnv.h"

#include "app/ErrorBox.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

void writeBytes(const QString& fileName, const QByteArray& bytes) {
    QFile f(fileName);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& fileName) {
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList& shownBoxes() {
    static QStringList boxes;
    return boxes;
}

void recordBoxes() {
    auto record = [](const QString& text) { shownBoxes() << text; };
    qarn::setErrorBoxHook(record);
    qarn::setMessageBoxHook(record);
}

QString findTool(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

} // namespace qarn::test
