// Audio CD: packed track/minute/second/frame times, the TOC of a BIN/CUE image, the door.
#include "MediaFixtures.h"
#include "platform/CdDoor.h"
#include "playback/CdAudio.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <cdio/cdio.h>

using namespace qarn::playback;

namespace {

quint32 packed(int track, int minutes, int seconds, int frames) {
    return quint32(track) | quint32(minutes) << 8 | quint32(seconds) << 16 | quint32(frames) << 24;
}

// Three tracks: 0..5000, 5000..9000, 9000..9500 sectors, the disc starting at sector 150.
CdToc sampleToc() {
    CdToc toc;
    toc.starts = {150, 5150, 9150, 9650};
    return toc;
}

} // namespace

class tst_CdAudio : public QObject {
    Q_OBJECT
private slots:
    void packsPositionsWithinTracks_data() {
        QTest::addColumn<int>("frame");
        QTest::addColumn<quint32>("position");
        QTest::newRow("disc start") << 0 << packed(1, 0, 0, 0);
        QTest::newRow("minutes, seconds, frames") << 4600 << packed(1, 1, 1, 25);
        QTest::newRow("last frame of track 1") << 4999 << packed(1, 1, 6, 49);
        QTest::newRow("track 2 start") << 5000 << packed(2, 0, 0, 0);
        QTest::newRow("inside track 3") << 9074 << packed(3, 0, 0, 74);
        QTest::newRow("end of the disc") << 9500 << packed(3, 0, 6, 50);
    }
    void packsPositionsWithinTracks() {
        QFETCH(int, frame);
        QFETCH(quint32, position);
        const CdToc toc = sampleToc();
        QCOMPARE(toc.packedAt(frame), position);
        QCOMPARE(toc.frameOf(position), frame);
    }

    void unpacksOddValuesSafely_data() {
        QTest::addColumn<quint32>("position");
        QTest::addColumn<int>("frame");
        QTest::newRow("zero is the disc start") << quint32(0) << 0;
        QTest::newRow("track past the last") << packed(9, 0, 0, 0) << 9000;
        QTest::newRow("offset past the end") << packed(3, 50, 0, 0) << 9500;
        QTest::newRow("offset past its track") << packed(1, 1, 10, 0) << 5000 + 250;
    }
    void unpacksOddValuesSafely() {
        QFETCH(quint32, position);
        QFETCH(int, frame);
        QCOMPARE(sampleToc().frameOf(position), frame);
    }

    void readsTheTocOfAnImage() {
        QTemporaryDir dir;
        const qarn::test::CdImage image = qarn::test::writeCdImage(dir.path(), {150, 120, 90});
        const CdToc toc = readCdToc(image.cue);
        QCOMPARE(toc.device, image.cue);
        QCOMPARE(toc.firstTrack, 1);
        QCOMPARE(toc.trackCount(), 3);
        QCOMPARE(toc.starts, (std::vector<int>{0, 150, 270, 360}));
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(toc.trackStart(n), quint32(n));
    }

    void refusesWhatIsNoAudioCd_data() {
        QTest::addColumn<QByteArray>("cue");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing image") << QByteArray() << "not found";
        QTest::newRow("cue sheet without tracks")
            << QByteArray("FILE \"disc.bin\" BINARY\n") << "has no tracks";
        QTest::newRow("data track only")
            << QByteArray(
                   "FILE \"disc.bin\" BINARY\n  TRACK 01 MODE1/2352\n    INDEX 01 00:00:00\n")
            << "no audio tracks";
    }
    void refusesWhatIsNoAudioCd() {
        QFETCH(QByteArray, cue);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        // libcdio finds the BIN beside the cue sheet by the sheet's own name.
        qarn::test::writeCdImage(dir.path(), {150});
        const QString path = dir.filePath(cue.isEmpty() ? "absent.cue" : "disc.cue");
        if (!cue.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cue);
        }
        try {
            readCdToc(path);
            QFAIL("accepted");
        } catch (const CdError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(reason), e.what());
        }
    }

    void doorWithoutDriveIsIgnored() {
        char* drive = cdio_get_default_device(nullptr);
        if (drive) {
            cdio_free(drive);
            QSKIP("this machine has a CD drive; its tray is left alone");
        }
        qarn::SystemCdDoor door;
        QElapsedTimer clock;
        clock.start();
        door.open();
        door.close();
        door.open();
        QVERIFY(clock.elapsed() < 5000);
    }
};

QTEST_GUILESS_MAIN(tst_CdAudio)
#include "tst_CdAudio.moc"
