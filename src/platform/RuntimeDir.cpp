// The per-user runtime folder: XDG_RUNTIME_DIR or a private folder under the temp folder.
#include "platform/RuntimeDir.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qarn {

bool isPrivateFolder(const QString& path, QString* why) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        if (why)
            *why = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (why)
            *why = QStringLiteral("%1 is not a folder").arg(path);
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        if (why)
            *why = QStringLiteral("%1 belongs to another user").arg(path);
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        if (why)
            *why = QStringLiteral("%1 is open to other users").arg(path);
        return false;
    }
    return true;
}

QString userRuntimeDir(QString* why) {
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty()) {
        const QString dir = QFile::decodeName(xdg);
        if (isPrivateFolder(dir, nullptr))
            return dir;
    }
    const QString dir = QDir::tempPath() + QStringLiteral("/qarn-player-%1").arg(::geteuid());
    const QByteArray native = QFile::encodeName(dir);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (why)
            *why = QStringLiteral("%1: %2").arg(dir, QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    if (!isPrivateFolder(dir, why))
        return {};
    return dir;
}

} // namespace qarn
