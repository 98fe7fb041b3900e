// Running the real player in tests.
#include "PlayerProcess.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <sys/stat.h>

namespace qarn::test {

namespace {

bool copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        if (it.fileInfo().isDir()) {
            QDir().mkpath(dst);
        } else if (!QFile::copy(src, dst)) {
            return false;
        }
    }
    return true;
}

} // namespace

PlayerSandbox::PlayerSandbox() {
#ifdef QARN_PROGRAM_DIR
    m_ok = m_program.isValid() && m_runtime.isValid() &&
           copyTree(QStringLiteral(QARN_PROGRAM_DIR), m_program.path());
    ::chmod(QFile::encodeName(m_runtime.path()).constData(), 0700);
#endif
}

QProcessEnvironment PlayerSandbox::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", m_runtime.path());
    env.remove("QT_QPA_PLATFORM");
    return env;
}

std::unique_ptr<QProcess> PlayerSandbox::start(const QStringList& args,
                                               const QString& workDir) const {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(environment());
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!workDir.isEmpty())
        p->setWorkingDirectory(workDir);
    p->start(executable(), args);
    p->waitForStarted();
    return p;
}

QStringList visibleWindows(qint64 pid, const QString& title) {
    QProcess x;
    x.start("xdotool", {"search", "--all", "--onlyvisible", "--pid", QString::number(pid), "--name",
                        '^' + title + '$'});
    x.waitForFinished(5000);
    return QString::fromLatin1(x.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

bool haveDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

} // namespace qarn::test
