// The private PulseAudio daemon used by the system volume tests.
#include "PulseServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace qarn::test {

PulseServer::~PulseServer() {
    stop();
}

bool PulseServer::start() {
    stop();
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    if (program.isEmpty()) {
        error_ = QStringLiteral("pulseaudio is not installed (Debian package pulseaudio)");
        return false;
    }
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/qarn-pulse-XXXXXX"));
    if (!dir_->isValid()) {
        error_ = dir_->errorString();
        return false;
    }
    QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(dir_->path()).mkdir(QStringLiteral("home"));

    // HOME too, so the daemon's cookie and state stay in the private folder.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_->path());
    env.insert(QStringLiteral("HOME"), dir_->filePath(QStringLiteral("home")));
    env.remove(QStringLiteral("PULSE_SERVER"));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(program,
                   {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("-n"), QStringLiteral("--log-target=stderr"),
                    QStringLiteral("--log-level=error"),
                    QStringLiteral("--load=module-null-sink sink_name=test"),
                    QStringLiteral("--load=module-native-protocol-unix")});
    if (!process_.waitForStarted(5000)) {
        error_ = process_.errorString();
        return false;
    }
    const QString socket = dir_->filePath(QStringLiteral("pulse/native"));
    QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (process_.state() != QProcess::Running) {
            error_ =
                QStringLiteral("pulseaudio ended at start (exit code %1)").arg(process_.exitCode());
            return false;
        }
        if (QFileInfo::exists(socket)) {
            QLocalSocket probe;
            probe.connectToServer(socket);
            if (probe.waitForConnected(500))
                return true;
        }
        QThread::msleep(20);
    }
    error_ = QStringLiteral("pulseaudio did not open its socket in time");
    stop();
    return false;
}

void PulseServer::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    dir_.reset();
}

bool PulseServer::isRunning() const {
    return process_.state() == QProcess::Running;
}

QString PulseServer::address() const {
    return dir_ ? QStringLiteral("unix:") + dir_->filePath(QStringLiteral("pulse/native"))
                : QString();
}

} // namespace qarn::test
