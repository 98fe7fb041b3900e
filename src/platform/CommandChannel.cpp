// Local-socket channel between a second copy and the running player.
#include "platform/CommandChannel.h"

#include "app/ForwardRecord.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qarn {

CommandChannelServer::CommandChannelServer(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

CommandChannelServer::~CommandChannelServer() {
    if (m_server)
        m_server->close();
}

bool CommandChannelServer::listen(const QString& socketPath) {
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this,
                &CommandChannelServer::onNewConnection);
    }
    QLocalServer::removeServer(socketPath);
    if (!m_server->listen(socketPath))
        return false;
    m_path = socketPath;
    return true;
}

void CommandChannelServer::close() {
    if (m_server)
        m_server->close();
}

void CommandChannelServer::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        // A sender that never finishes its record is dropped.
        QTimer::singleShot(kIdleTimeoutMs, socket, [socket] {
            if (!socket->property("qarnDone").toBool())
                socket->abort();
        });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void CommandChannelServer::onReadyRead(QLocalSocket* socket) {
    if (socket->property("qarnDone").toBool()) {
        socket->readAll();
        return;
    }
    QByteArray buffer = socket->property("qarnBuffer").toByteArray();
    buffer += socket->read(kForwardMaxRecord - buffer.size());
    const auto header = peekForwardHeader(buffer);
    if (header && !isAcceptableHeader(*header)) {
        socket->abort();
        return;
    }
    const auto text = decodeForwardRecord(buffer);
    if (!text) {
        socket->setProperty("qarnBuffer", buffer);
        return;
    }
    socket->setProperty("qarnDone", true);
    socket->setProperty("qarnBuffer", QVariant());
    // The handler may open a modal box; the socket must survive a close meanwhile.
    QPointer<QLocalSocket> guard(socket);
    if (m_handler)
        m_handler(*text);
    if (guard) {
        guard->write("\1", 1);
        guard->flush();
        guard->disconnectFromServer();
    }
}

bool sendCommandRecord(const QString& socketPath, const QByteArray& record, int timeoutMs) {
    const QByteArray path = QFile::encodeName(socketPath);
    sockaddr_un addr{};
    if (path.isEmpty() || size_t(path.size()) >= sizeof(addr.sun_path))
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    auto fail = [fd] {
        ::close(fd);
        return false;
    };
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0)
        return fail();

    QElapsedTimer clock;
    clock.start();
    qsizetype sent = 0;
    while (sent < record.size()) {
        const ssize_t n =
            ::send(fd, record.constData() + sent, size_t(record.size() - sent), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        sent += n;
    }
    // Like a sent window message: wait until the receiver's handler has returned.
    for (;;) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return fail();
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, int(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return fail();
        char ack = 0;
        const ssize_t n = ::recv(fd, &ack, 1, 0);
        ::close(fd);
        return n == 1;
    }
}

} // namespace qarn
