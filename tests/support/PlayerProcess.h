// Running the real player in tests: a private copy of the program folder, a private runtime
// folder, and finding its windows on the X display.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace qarn::test {

class PlayerSandbox {
public:
    PlayerSandbox();
    bool isValid() const { return m_ok; }
    // The program folder copy (executable, data) and the runtime folder the copies share.
    QString programDir() const { return m_program.path(); }
    QString runtimeDir() const { return m_runtime.path(); }
    QString executable() const { return m_program.path() + "/qarn-player"; }

    // Starts a copy with the sandbox's environment.
    std::unique_ptr<QProcess> start(const QStringList& args, const QString& workDir = {}) const;
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_program;
    QTemporaryDir m_runtime;
    bool m_ok = false;
};

// Visible top-level windows of a process with exactly this title (xdotool).
QStringList visibleWindows(qint64 pid, const QString& title = "Qarn_player");

// True when an X display is there to run the real program on.
bool haveDisplay();

} // namespace qarn::test
