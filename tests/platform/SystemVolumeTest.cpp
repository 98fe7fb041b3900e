// Tests of the system volume against a real PulseAudio daemon.
#include "platform/SystemVolume.h"
#include "PulseServer.h"
#include "TestEnv.h"

#include <QElapsedTimer>
#include <QTest>

using namespace qarn;

class SystemVolumeTest : public QObject {
    Q_OBJECT
    test::PulseServer server_;

private slots:
    void initTestCase() {
        test::ensurePrivateRuntimeDir();
        QVERIFY2(server_.start(), qPrintable(server_.errorString()));
        qputenv("PULSE_SERVER", server_.address().toUtf8());
    }

    void setThenReadBack_data() {
        QTest::addColumn<quint32>("left");
        QTest::addColumn<quint32>("right");
        QTest::newRow("silent") << 0u << 0u;
        QTest::newRow("full") << 65535u << 65535u;
        QTest::newRow("half and quarter") << 32768u << 16384u;
        QTest::newRow("extremes") << 1u << 65534u;
        QTest::newRow("uneven") << 12345u << 54321u;
    }
    void setThenReadBack() {
        QFETCH(quint32, left);
        QFETCH(quint32, right);
        SystemVolume volume;
        QVERIFY(volume.write(left | (right << 16)));
        const std::optional<quint32> read = volume.read();
        QVERIFY(read.has_value());
        QVERIFY2(qAbs(qint64(*read & 0xFFFF) - qint64(left)) <= 1,
                 qPrintable(QString::number(*read & 0xFFFF)));
        QVERIFY2(qAbs(qint64(*read >> 16) - qint64(right)) <= 1,
                 qPrintable(QString::number(*read >> 16)));
        // A second object sees the same: the value is on the server, not in the object.
        QCOMPARE(SystemVolume().read(), read);
    }

    void noServerRefusesQuietly() {
        const QByteArray saved = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:/nonexistent/qarn/pulse/native");
        SystemVolume volume;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(volume.read(), std::nullopt);
        QVERIFY(!volume.write(0x80008000u));
        qInfo("refusing without a server took %lld ms", timer.elapsed());
        qputenv("PULSE_SERVER", saved);
        QVERIFY(SystemVolume().write(0x10001000u)); // the real server kept its volume...
        QCOMPARE(SystemVolume().read(), std::optional<quint32>(0x10001000u));
    }

    // A kept connection whose server goes away refuses instead of hanging.
    void serverGoingAwayRefuses() {
        SystemVolume volume;
        QVERIFY(volume.read().has_value());
        server_.stop();
        QCOMPARE(volume.read(), std::nullopt);
        QVERIFY(!volume.write(0xFFFFFFFFu));
    }
};

QTEST_GUILESS_MAIN(SystemVolumeTest)
#include "SystemVolumeTest.moc"
