// The real program under X: one copy per user, and what a second start hands over.
#include "PlayerProcess.h"
#include "TestEnv.h"
#include "app/ForwardRecord.h"
#include "platform/CommandChannel.h"
#include "platform/InstanceLock.h"

#include <QElapsedTimer>
#include <QtTest>

#include <csignal>

using namespace qarn::test;

class TestE2eInstance : public QObject {
    Q_OBJECT

    static QStringList waitForWindow(qint64 pid) {
        QStringList found;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && (found = visibleWindows(pid)).isEmpty())
            QTest::qWait(100);
        return found;
    }

private slots:
    void initTestCase() {
        ensurePrivateRuntimeDir();
        if (!haveDisplay())
            QSKIP("needs an X display (the test command starts Xvfb)");
        if (findTool("xdotool").isEmpty())
            QSKIP("needs xdotool (the test command installs it)");
    }

    void secondStartForwardsAndLeavesOneWindow() {
        PlayerSandbox box;
        QVERIFY(box.isValid());
        auto first = box.start({});
        QCOMPARE(waitForWindow(first->processId()).size(), 1);

        for (const QStringList& args : {QStringList{}, QStringList{"-next"}}) {
            auto second = box.start(args);
            QVERIFY(second->waitForFinished(10000));
            QCOMPARE(second->exitStatus(), QProcess::NormalExit);
            QCOMPARE(second->exitCode(), 0);
        }
        QCOMPARE(visibleWindows(first->processId()).size(), 1);
        QCOMPARE(first->state(), QProcess::Running);
        // A session ending the player closes it the normal way.
        first->terminate();
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitStatus(), QProcess::NormalExit);
        QCOMPARE(first->exitCode(), 0);
    }

    // The test itself is the running copy: the real program must hand over exactly this.
    void recordReachesRunningCopyExactly_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no arguments") << QStringList{} << "";
        QTest::newRow("switch") << QStringList{"-play"} << "-play";
        QTest::newRow("relative path") << QStringList{"sub dir/a.mp3"} << "\"WD/sub dir/a.mp3\"";
        QTest::newRow("absolute path")
            << QStringList{"/m/My Music/b.wav"} << "\"/m/My Music/b.wav\"";
        QTest::newRow("switch and path") << QStringList{"-last", "c.mid"} << "-last \"WD/c.mid\"";
    }
    void recordReachesRunningCopyExactly() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        PlayerSandbox box;
        QVERIFY(box.isValid());
        QTemporaryDir work;
        qarn::InstanceLock lock(box.runtimeDir());
        QCOMPARE(lock.tryAcquire(), qarn::InstanceLock::Result::Acquired);
        QStringList received;
        qarn::CommandChannelServer server([&](const QString& t) { received << t; });
        QVERIFY(server.listen(box.runtimeDir() + "/Qarn_player"));

        auto second = box.start(args, work.path());
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 10000);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(received.first(), QString(expected).replace("WD", work.path()));
    }

    void secondStartWithNobodyListeningExitsSilently() {
        PlayerSandbox box;
        qarn::InstanceLock lock(box.runtimeDir());
        QCOMPARE(lock.tryAcquire(), qarn::InstanceLock::Result::Acquired);
        auto second = box.start({"-play"});
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(second->readAllStandardOutput(), QByteArray());
    }

    void twoCopiesAtOnceLeaveExactlyOneWindow() {
        PlayerSandbox box;
        auto a = box.start({});
        auto b = box.start({});
        QElapsedTimer t;
        t.start();
        // One of them hands over (or finds nobody yet) and ends.
        while (t.elapsed() < 15000 && a->state() == QProcess::Running &&
               b->state() == QProcess::Running)
            QTest::qWait(50);
        QProcess* survivor = a->state() == QProcess::Running ? a.get() : b.get();
        QProcess* ended = survivor == a.get() ? b.get() : a.get();
        QCOMPARE(ended->state(), QProcess::NotRunning);
        QCOMPARE(ended->exitCode(), 0);
        QCOMPARE(waitForWindow(survivor->processId()).size(), 1);
        survivor->terminate();
        survivor->waitForFinished(10000);
    }

    void killedFirstCopyDoesNotBlockTheNext() {
        PlayerSandbox box;
        auto first = box.start({});
        QCOMPARE(waitForWindow(first->processId()).size(), 1);
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        auto next = box.start({});
        QCOMPARE(waitForWindow(next->processId()).size(), 1);
        next->terminate();
        QVERIFY(next->waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestE2eInstance)
#include "tst_e2e_instance.moc"
