// A private PulseAudio daemon with a null sink, for tests that need the real sound server.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace qarn::test {

// Runs `pulseaudio` with only a null sink and the native protocol, in a private 0700 runtime
// folder of its own, so it touches no session server. Clients reach it through address()
// (for PULSE_SERVER). Stopped by stop() or the destructor.
class PulseServer {
public:
    PulseServer() = default;
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Starts the daemon and waits until its socket accepts clients; false with errorString().
    bool start();
    void stop();
    bool isRunning() const;

    // "unix:<runtime folder>/pulse/native"
    QString address() const;
    QString errorString() const { return error_; }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QProcess process_;
    QString error_;
};

} // namespace qarn::test
