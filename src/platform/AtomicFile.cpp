// Atomic whole-file replacement: temporary file, fsync, rename.
#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qarn {

namespace {

[[noreturn]] void fail(const QString& what, const QString& fileName, int error) {
    throw FileError(QStringLiteral("%1 \"%2\": %3")
                        .arg(what, fileName, QString::fromLocal8Bit(std::strerror(error)))
                        .toStdString());
}

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Resolves a chain of symbolic links so the rename replaces the file they point to.
QString finalTarget(const QString& fileName) {
    QFileInfo info(fileName);
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? fileName : info.filePath();
}

} // namespace

void writeFileAtomically(const QString& fileName, QByteArrayView data) {
    const QString target = finalTarget(fileName);
    const QByteArray targetName = QFile::encodeName(target);
    const qsizetype slash = target.lastIndexOf(u'/');
    const QString folder = slash >= 0 ? target.left(slash + 1) : QString();
    const QString base = target.mid(slash + 1);
    if (::access(targetName.constData(), F_OK) == 0 && ::access(targetName.constData(), W_OK) != 0)
        fail(QStringLiteral("Cannot write"), fileName, errno);

    // Created with 0666 so the umask applies as for any new file; an existing file's mode is
    // copied below.
    int fd = -1;
    QByteArray tempName;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tempName =
            QFile::encodeName(QStringLiteral("%1.%2.%3.tmp")
                                  .arg(folder, base)
                                  .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')));
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        fail(QStringLiteral("Cannot create a file beside"), fileName, errno);

    auto abandon = [&](const char* what) {
        const int error = errno;
        ::close(fd);
        ::unlink(tempName.constData());
        fail(QString::fromLatin1(what), fileName, error);
    };

    if (!writeAll(fd, data.data(), data.size()))
        abandon("Cannot write");
    struct stat old {};
    if (::stat(targetName.constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777); // best effort: the content matters more than the mode
    if (::fsync(fd) != 0)
        abandon("Cannot flush");
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(tempName.constData());
        fail(QStringLiteral("Cannot write"), fileName, error);
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int error = errno;
        ::unlink(tempName.constData());
        fail(QStringLiteral("Cannot replace"), fileName, error);
    }
    // Makes the rename itself durable; the new content is already in place, so a failure here
    // is not reported.
    const int dirFd =
        ::open(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData(),
               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

QByteArray readRegularFile(const QString& fileName, qint64 maxBytes) {
    auto refuse = [&](const QString& why) {
        throw FileError(
            QStringLiteral("Cannot open file \"%1\": %2").arg(fileName, why).toStdString());
    };
    // Non-blocking, so a named pipe with no writer cannot stall the caller.
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        refuse(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        refuse(QStringLiteral("not a regular file"));
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        refuse(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        refuse(file.errorString());
    }
    // Read no more than the cap even if the file grows meanwhile.
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        refuse(file.errorString());
    return bytes;
}

} // namespace qarn
