// One running copy per user: an exclusive lock on a file in the user's runtime folder.
#pragma once

#include <QString>

namespace qarn {

class InstanceLock {
public:
    enum class Result { Acquired, HeldByAnother, Unavailable };

    explicit InstanceLock(const QString& folder, const QString& name = "OnlyOneCopyOfQarnPlayer");
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Never blocks. The kernel drops the lock when the process ends, even on a crash.
    Result tryAcquire();
    void release();
    QString path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};

} // namespace qarn
