// The program folder.
#include "app/ProgramDir.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace qarn {

namespace {
QString g_override;
}

QString programDir() {
    return g_override.isEmpty() ? QCoreApplication::applicationDirPath() : g_override;
}

void setProgramDir(const QString& dir) {
    g_override = dir;
}

QString programFilePath() {
    return programFile(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString programFile(const QString& name) {
    return programDir() + '/' + name;
}

} // namespace qarn
