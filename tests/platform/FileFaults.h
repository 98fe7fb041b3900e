// Ways to make a file write fail in a test, also when the tests run as root.
#pragma once

#include <QFile>
#include <QString>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qarn::test {

// Makes a folder refuse new files for as long as it lives. Root ignores permission bits, so root
// gets the immutable attribute instead. active() is false where neither works.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : path_(QFile::encodeName(path)) {
        if (::geteuid() != 0) {
            active_ = ::chmod(path_.constData(), 0555) == 0;
            return;
        }
        const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            active_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
    }
    ~ReadOnlyFolder() {
        if (!active_)
            return;
        if (::geteuid() != 0) {
            ::chmod(path_.constData(), 0755);
            return;
        }
        const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
    bool active() const { return active_; }

private:
    QByteArray path_;
    bool active_ = false;
};

// Caps the size of files this process writes, as a full disk would: writes past the cap fail.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = old_;
        cap.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace qarn::test
