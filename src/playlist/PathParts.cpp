// Path parts and the readability test.
#include "PathParts.h"

#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qarn {

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString extensionOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > slash ? path.mid(dot) : QString();
}

QString folderOf(const QString& path) {
    return path.left(path.lastIndexOf(u'/') + 1);
}

bool IsReadableFile(const QString& path) {
    if (path.isEmpty())
        return false;
    // O_NONBLOCK keeps a FIFO without a writer from stalling the caller.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool readable = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return readable;
}

bool looksLikeUrl(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(text).hasMatch();
}

} // namespace qarn
