// The real player on X and a real sound server: a file argument is heard, the playlist comes
// back at the next start, and the system volume is put back at exit.
#include "MediaFixtures.h"
#include "PlayerProcess.h"
#include "TestEnv.h"
#include "playlist/PlaylistFile.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>

using namespace qarn::test;

namespace {

QString pactl(const QStringList& args) {
    QProcess p;
    p.start("pactl", args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The left channel of the default sink as pactl reports it, in raw units.
int sinkVolume() {
    const QString out = pactl({"get-sink-volume", "@DEFAULT_SINK@"});
    const int slash = out.indexOf('/');
    const int colon = out.lastIndexOf(':', slash);
    return out.mid(colon + 1, slash - colon - 1).trimmed().toInt();
}

// Peak level heard on the null sink's monitor over the given time.
int peakHeard(int ms) {
    QProcess rec;
    rec.start("parec", {"-d", "test.monitor", "--format=s16le", "--channels=1", "--rate=8000",
                        "--latency-msec=50"});
    rec.waitForStarted();
    QTest::qWait(ms);
    rec.terminate();
    rec.waitForFinished(3000);
    const QByteArray pcm = rec.readAllStandardOutput();
    int peak = 0;
    for (qsizetype i = 0; i + 1 < pcm.size(); i += 2)
        peak = qMax(peak, qAbs(int(qFromLittleEndian<qint16>(pcm.constData() + i))));
    return peak;
}

bool waitForWindow(qint64 pid) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 15000) {
        if (!visibleWindows(pid).isEmpty())
            return true;
        QTest::qWait(100);
    }
    return false;
}

void closePlayer(QProcess& p) {
    p.terminate(); // closes the window the normal way
    QVERIFY(p.waitForFinished(15000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
}

} // namespace

class TestE2ePlayer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        ensurePrivateRuntimeDir();
        if (!haveDisplay() || qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            QSKIP("needs the X and sound servers that the test command starts");
        if (pactl({"info"}).isEmpty())
            QSKIP("the sound server does not answer");
    }

    void fileArgumentIsHeard() {
        PlayerSandbox box;
        QTemporaryDir media;
        const QString wav = writeWav(media.filePath("tone.wav"), 6000);
        QVERIFY(peakHeard(300) < 100); // silence before
        auto player = box.start({wav});
        QVERIFY(waitForWindow(player->processId()));
        QTest::qWait(500);
        const int peak = peakHeard(1500);
        QVERIFY2(peak > 1000, qPrintable(QString("peak heard: %1").arg(peak)));
        closePlayer(*player);
    }

    // Nothing set up yet: the sample tune is the one entry, opened, and Ctrl+P plays it.
    void firstStartPlaysTheSampleTune() {
        PlayerSandbox box;
        auto player = box.start({});
        QVERIFY(waitForWindow(player->processId()));
        QTest::qWait(1000); // the tune is opened just after the window shows
        QVERIFY(peakHeard(300) < 100);
        const QString window = visibleWindows(player->processId()).value(0);
        QProcess::execute("xdotool", {"windowactivate", "--sync", window, "key", "ctrl+p"});
        QTest::qWait(300);
        const int peak = peakHeard(2000);
        QVERIFY2(peak > 300, qPrintable(QString("peak heard: %1").arg(peak)));
        closePlayer(*player);
    }

    void playlistComesBackAtTheNextStart() {
        PlayerSandbox box;
        QTemporaryDir media;
        const QString wav = writeWav(media.filePath("a b.wav"), 1000);
        QFile ini(box.programDir() + "/qarn-player.INI");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Init]\r\nSavePlayList=1\r\n");
        ini.close();

        auto first = box.start({wav});
        QVERIFY(waitForWindow(first->processId()));
        closePlayer(*first);
        const QString last = box.programDir() + "/Last.qpl";
        QCOMPARE(qarn::readQpl(last), QStringList{wav});

        // Without an argument the list is read back, and written again at the next close.
        QFile::remove(last + ".bak");
        QVERIFY(QFile::rename(last, last + ".bak") && QFile::copy(last + ".bak", last));
        auto second = box.start({});
        QVERIFY(waitForWindow(second->processId()));
        QFile::remove(last + ".bak");
        closePlayer(*second);
        QCOMPARE(qarn::readQpl(last), QStringList{wav});
    }

    void volumeIsPutBackAtExit() {
        PlayerSandbox box;
        pactl({"set-sink-volume", "@DEFAULT_SINK@", "40000"});
        const int before = sinkVolume();
        QVERIFY(before > 0);
        auto player = box.start({});
        QVERIFY(waitForWindow(player->processId()));
        QTest::qWait(1000); // the player asks for the volume just after its window shows
        pactl({"set-sink-volume", "@DEFAULT_SINK@", "12000"});
        QVERIFY(qAbs(sinkVolume() - 12000) < 700);
        closePlayer(*player);
        QVERIFY2(qAbs(sinkVolume() - before) < 700, qPrintable(QString::number(sinkVolume())));

        // A volume the player never changed is left exactly as it is, even above 100 %.
        pactl({"set-sink-volume", "@DEFAULT_SINK@", "98304"});
        auto again = box.start({});
        QVERIFY(waitForWindow(again->processId()));
        QTest::qWait(1000);
        closePlayer(*again);
        QCOMPARE(sinkVolume(), 98304);
        pactl({"set-sink-volume", "@DEFAULT_SINK@", "65536"});
    }
};

QTEST_GUILESS_MAIN(TestE2ePlayer)
#include "tst_e2e_player.moc"
