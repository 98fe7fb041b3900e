// The instance lock, the private runtime folder and the command channel.
#include "TestEnv.h"
#include "app/ForwardRecord.h"
#include "platform/CommandChannel.h"
#include "platform/InstanceLock.h"
#include "platform/RuntimeDir.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace qarn;

namespace {

// A raw client that can misbehave: send part of a record, or nothing, and hang on.
int rawConnect(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// True once the peer has closed the connection (recv returns 0 or an error).
bool peerClosed(int fd) {
    char c;
    const ssize_t n = ::recv(fd, &c, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode;
}

} // namespace

class TestInstance : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QStringList m_received;
    std::unique_ptr<CommandChannelServer> m_server;

    QString socketPath() const { return m_dir.path() + "/Qarn_player"; }

private slots:
    void initTestCase() {
        test::ensurePrivateRuntimeDir();
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);
    }

    void init() {
        m_received.clear();
        m_server = std::make_unique<CommandChannelServer>(
            [this](const QString& text) { m_received << text; });
        QVERIFY(m_server->listen(socketPath()));
    }
    void cleanup() { m_server.reset(); }

    void lockIsExclusiveAndFreedWhenHolderIsKilled() {
        const QString folder = m_dir.path();
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            InstanceLock lock(folder);
            const char ok = lock.tryAcquire() == InstanceLock::Result::Acquired ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            ::pause();
            ::_exit(0);
        }
        char ok = 0;
        QCOMPARE(::read(ready[0], &ok, 1), ssize_t(1));
        QCOMPARE(ok, '1');
        {
            InstanceLock second(folder);
            QCOMPARE(second.tryAcquire(), InstanceLock::Result::HeldByAnother);
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        InstanceLock next(folder);
        QCOMPARE(next.tryAcquire(), InstanceLock::Result::Acquired);
        ::close(ready[0]);
        ::close(ready[1]);
    }

    void runtimeFolderMustBePrivate() {
        QTemporaryDir tmp;
        const QByteArray oldTmp = qgetenv("TMPDIR");
        const QByteArray oldXdg = qgetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp.path()));
        qunsetenv("XDG_RUNTIME_DIR");
        const QString expected = tmp.path() + QStringLiteral("/qarn-player-%1").arg(::geteuid());

        // Created fresh with mode 0700.
        QCOMPARE(userRuntimeDir(), expected);
        QCOMPARE(modeOf(expected) & 0777, mode_t(0700));

        // Opened up to others: refused.
        ::chmod(QFile::encodeName(expected).constData(), 0755);
        QString why;
        QVERIFY(userRuntimeDir(&why).isEmpty());
        QVERIFY(why.contains("other users"));

        // A planted link: refused even though its target is private.
        QDir().rmdir(expected);
        QTemporaryDir target;
        ::chmod(QFile::encodeName(target.path()).constData(), 0700);
        QVERIFY(QFile::link(target.path(), expected));
        QVERIFY(userRuntimeDir().isEmpty());
        QFile::remove(expected);

        // A private XDG_RUNTIME_DIR wins.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(target.path()));
        QCOMPARE(userRuntimeDir(), target.path());

        qputenv("TMPDIR", oldTmp);
        if (oldXdg.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", oldXdg);
    }

    void socketIsReachableByThisUserOnly() {
        QCOMPARE(modeOf(socketPath()) & 077, mode_t(0));
        QCOMPARE(modeOf(m_dir.path()) & 077, mode_t(0));
    }

    void recordReachesHandlerAndSenderWaitsForIt() {
        // A slow handler: the sender must not come back before it has returned.
        CommandChannelServer slow([this](const QString& text) {
            QThread::msleep(300);
            m_received << text;
        });
        const QString path = m_dir.path() + "/slow";
        QVERIFY(slow.listen(path));
        bool sent = false;
        qint64 tookMs = 0;
        std::thread sender([&] {
            QElapsedTimer t;
            t.start();
            sent = sendCommandRecord(path, encodeForwardRecord("\"/My Music/a.mp3\""), 5000);
            tookMs = t.elapsed();
        });
        QTRY_COMPARE(m_received.size(), 1);
        sender.join();
        QVERIFY(sent);
        QVERIFY2(tookMs >= 300, qPrintable(QString::number(tookMs)));
        QCOMPARE(m_received.first(), QString("\"/My Music/a.mp3\""));
    }

    void nobodyListeningFailsAtOnce() {
        QVERIFY(!sendCommandRecord(m_dir.path() + "/nobody", encodeForwardRecord(""), 5000));
    }

    void stalledSendersNeverBlockOthers() {
        const QByteArray record = encodeForwardRecord("-next");
        const int silent = rawConnect(socketPath());
        const int half = rawConnect(socketPath());
        QVERIFY(silent >= 0 && half >= 0);
        QCOMPARE(::send(half, record.constData(), 6, 0), ssize_t(6));

        bool sent = false;
        std::thread sender([&] { sent = sendCommandRecord(socketPath(), record, 5000); });
        QTRY_COMPARE(m_received.size(), 1);
        sender.join();
        QVERIFY(sent);
        QCOMPARE(m_received, QStringList{"-next"});

        // The stalled ones are dropped after the idle timeout.
        QTRY_VERIFY_WITH_TIMEOUT(peerClosed(silent) && peerClosed(half),
                                 CommandChannelServer::kIdleTimeoutMs + 2000);
        QCOMPARE(m_received.size(), 1);
        ::close(silent);
        ::close(half);
    }

    void malformedRecordsAreIgnored_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray badMarker = encodeForwardRecord("-play");
        badMarker[3] = 0;
        QByteArray huge = encodeForwardRecord("x");
        qToLittleEndian<quint32>(10 * 1024 * 1024, huge.data() + 4);
        QTest::newRow("wrong marker") << badMarker;
        QTest::newRow("announces 10 MB") << huge;
        QTest::newRow("garbage") << QByteArray(100, '\xAB');
    }
    void malformedRecordsAreIgnored() {
        QFETCH(QByteArray, bytes);
        const int fd = rawConnect(socketPath());
        QVERIFY(fd >= 0);
        QCOMPARE(::send(fd, bytes.constData(), size_t(bytes.size()), 0), ssize_t(bytes.size()));
        QTRY_VERIFY_WITH_TIMEOUT(peerClosed(fd), 1000);
        QVERIFY(m_received.isEmpty());
        ::close(fd);
    }

    void staleSocketIsReplacedByTheLockHolder() {
        m_server.reset();
        // A killed copy leaves its socket file behind, with nobody listening.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray p = QFile::encodeName(socketPath());
        std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
        ::close(fd);
        QVERIFY(QFile::exists(socketPath()));
        CommandChannelServer again([this](const QString& t) { m_received << t; });
        QVERIFY(again.listen(socketPath()));
        std::thread sender(
            [&] { sendCommandRecord(socketPath(), encodeForwardRecord("-last"), 5000); });
        QTRY_COMPARE(m_received, QStringList{"-last"});
        sender.join();
    }
};

QTEST_GUILESS_MAIN(TestInstance)
#include "tst_instance.moc"
