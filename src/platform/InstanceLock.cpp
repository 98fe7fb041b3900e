// The single-instance lock: flock on a file in the per-user runtime folder.
#include "platform/InstanceLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qarn {

InstanceLock::InstanceLock(const QString& folder, const QString& name)
    : m_path(folder.isEmpty() ? QString() : folder + '/' + name) {}

InstanceLock::~InstanceLock() {
    release();
}

InstanceLock::Result InstanceLock::tryAcquire() {
    if (m_path.isEmpty())
        return Result::Unavailable;
    if (m_fd < 0) {
        m_fd = ::open(QFile::encodeName(m_path).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd < 0)
            return Result::Unavailable;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
        return Result::Acquired;
    const bool held = errno == EWOULDBLOCK;
    ::close(m_fd);
    m_fd = -1;
    return held ? Result::HeldByAnother : Result::Unavailable;
}

void InstanceLock::release() {
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace qarn
