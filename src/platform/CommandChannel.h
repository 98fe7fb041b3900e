// The local channel over which a second copy hands its command line to the running one.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace qarn {

// Receiving side. Reads every connection asynchronously, so a sender that stalls or sends
// garbage never blocks the window; a complete record goes to the handler, after which the
// sender gets one byte back and is let go.
class CommandChannelServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QString& text)>;

    explicit CommandChannelServer(Handler handler, QObject* parent = nullptr);
    ~CommandChannelServer() override;

    // Only the holder of the instance lock may call this: it replaces any stale socket.
    bool listen(const QString& socketPath);
    QString socketPath() const { return m_path; }
    // Stops taking new senders (a closing player can no longer act on them).
    void close();

    static constexpr int kIdleTimeoutMs = 2000;

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    Handler m_handler;
    QLocalServer* m_server = nullptr;
    QString m_path;
};

// Sending side: connects, writes the record and waits until the receiver has handled it
// (one byte back or the connection closed). False when nobody listens.
bool sendCommandRecord(const QString& socketPath, const QByteArray& record, int timeoutMs);

} // namespace qarn
