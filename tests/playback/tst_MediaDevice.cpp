// Media device on real media: formats, play, pause, stop, seek, the end, CD tracks, bad input.
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "playback/MediaDevice.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace qarn::test;
using Mode = MediaDevice::Mode;

namespace {

const QString kNotOpen = QStringLiteral("No MCI device open");

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EMCIDeviceError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

quint32 packed(int track, int minutes, int seconds, int frames) {
    return quint32(track) | quint32(minutes) << 8 | quint32(seconds) << 16 | quint32(frames) << 24;
}

} // namespace

class tst_MediaDevice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QMap<QString, QString> m_media; // by suffix
    CdImage m_cd;

    QString file(const QString& name) const { return m_dir.filePath(name); }

    void openFile(MediaDevice& d, const QString& path) {
        d.setDeviceType(dtAutoSelect);
        d.setFileName(path);
        d.Open();
    }

    // Plays until the device stops by itself at the end.
    static bool playsToEnd(MediaDevice& d, int timeoutMs = 8000) {
        d.Play();
        QDeadlineTimer deadline(timeoutMs);
        while (d.mode() != Mode::Stopped && !deadline.hasExpired())
            QTest::qWait(20);
        return d.mode() == Mode::Stopped && d.Position() == d.Length();
    }

    void mediaRows() {
        QTest::addColumn<QString>("suffix");
        for (const char* s : {"wav", "mp3", "mid"})
            QTest::newRow(s) << QString::fromLatin1(s);
    }

private slots:
    void initTestCase() {
        ensurePrivateRuntimeDir();
        MediaDevice::setNullOutputs(true);
        QVERIFY(m_dir.isValid());
        m_media["wav"] = writeWav(file("tone.wav"), 3000);
        m_media["mid"] = writeMidi(file("song.mid"));
        m_media["rmi"] = writeRmi(file("song.rmi"));
        for (const char* s : {"mp3", "wma"})
            m_media[s] = encodeWithFfmpeg(file(QStringLiteral("tone.") + s), 3);
        for (const char* s : {"wmv", "avi", "mpg"})
            m_media[s] = encodeWithFfmpeg(file(QStringLiteral("clip.") + s), 2);
        QDir().mkpath(file("cd"));
        m_cd = writeCdImage(file("cd"), {150, 120, 90});
        QVERIFY(!m_cd.cue.isEmpty());
    }

    void opensEachFormatWithItsLength_data() {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("tolerance");
        QTest::newRow("wav") << "wav" << qint64(3000) << qint64(1);
        QTest::newRow("mid, tempo change") << "mid" << kMidiLengthMs << qint64(1);
        QTest::newRow("rmi") << "rmi" << kMidiLengthMs << qint64(1);
        // Encoders pad the audio by up to a frame or two.
        QTest::newRow("mp3") << "mp3" << qint64(3000) << qint64(80);
        QTest::newRow("wma") << "wma" << qint64(3000) << qint64(150);
        QTest::newRow("wmv") << "wmv" << qint64(2000) << qint64(150);
        QTest::newRow("avi") << "avi" << qint64(2000) << qint64(150);
        QTest::newRow("mpg") << "mpg" << qint64(2000) << qint64(150);
    }
    void opensEachFormatWithItsLength() {
        QFETCH(QString, suffix);
        QFETCH(qint64, length);
        QFETCH(qint64, tolerance);
        if (m_media[suffix].isEmpty()) {
            QVERIFY2(!haveFfmpeg(), "ffmpeg could not make the fixture");
            QSKIP("ffmpeg is missing");
        }
        MediaDevice d;
        QCOMPARE(d.mode(), Mode::NotOpen);
        openFile(d, m_media[suffix]);
        QVERIFY(d.isOpen());
        QCOMPARE(d.mode(), Mode::Stopped);
        QVERIFY2(qAbs(d.Length() - length) <= tolerance, qPrintable(QString::number(d.Length())));
        QCOMPARE(d.Position(), qint64(0));
        QCOMPARE(d.Tracks(), 1);
        QCOMPARE(d.TrackPosition(1), qint64(0));
    }

    void pauseHoldsAndResumes_data() { mediaRows(); }
    void pauseHoldsAndResumes() {
        QFETCH(QString, suffix);
        if (m_media[suffix].isEmpty())
            QSKIP("ffmpeg is missing");
        MediaDevice d;
        openFile(d, m_media[suffix]);
        d.Play();
        QCOMPARE(d.mode(), Mode::Playing);
        QTRY_VERIFY(d.Position() >= 300);
        d.Pause();
        QCOMPARE(d.mode(), Mode::Paused);
        const qint64 paused = d.Position();
        QTest::qWait(300);
        QCOMPARE(d.Position(), paused);
        d.Pause();
        QCOMPARE(d.mode(), Mode::Playing);
        QTRY_VERIFY(d.Position() > paused + 100);
        QVERIFY(d.Position() < paused + 2000);
    }

    void stopKeepsPosition() {
        MediaDevice d;
        openFile(d, m_media["wav"]);
        d.Play();
        QTRY_VERIFY(d.Position() >= 300);
        d.Stop();
        QCOMPARE(d.mode(), Mode::Stopped);
        const qint64 stopped = d.Position();
        QTest::qWait(200);
        QCOMPARE(d.Position(), stopped);
        d.Pause(); // a stopped device ignores pause
        QCOMPARE(d.mode(), Mode::Stopped);
        d.Play();
        QTRY_VERIFY(d.Position() > stopped);
        QVERIFY(d.Position() < stopped + 2000);
    }

    void seekWhilePausedLeavesItStoppedThere_data() { mediaRows(); }
    void seekWhilePausedLeavesItStoppedThere() {
        QFETCH(QString, suffix);
        if (m_media[suffix].isEmpty())
            QSKIP("ffmpeg is missing");
        MediaDevice d;
        openFile(d, m_media[suffix]);
        d.Play();
        QTest::qWait(100);
        d.Pause();
        d.setPosition(1800);
        QCOMPARE(d.mode(), Mode::Stopped);
        QVERIFY2(qAbs(d.Position() - 1800) <= 2, qPrintable(QString::number(d.Position())));
        d.Play();
        QTRY_VERIFY(d.Position() > 1900);
        QVERIFY(d.Position() < 2900);
        d.setPosition(0); // seeking while playing stops too
        QCOMPARE(d.mode(), Mode::Stopped);
        QCOMPARE(d.Position(), qint64(0));
    }

    void endReadsAsLengthAndPlayRestarts_data() { mediaRows(); }
    void endReadsAsLengthAndPlayRestarts() {
        QFETCH(QString, suffix);
        if (m_media[suffix].isEmpty())
            QSKIP("ffmpeg is missing");
        MediaDevice d;
        openFile(d, m_media[suffix]);
        d.setPosition(d.Length() - 300);
        QVERIFY(playsToEnd(d));
        d.Pause(); // nothing to pause at the end
        QCOMPARE(d.mode(), Mode::Stopped);
        QCOMPARE(d.Position(), d.Length());
        d.Play();
        QCOMPARE(d.mode(), Mode::Playing);
        QVERIFY2(d.Position() < 1000, qPrintable(QString::number(d.Position())));
        QTRY_VERIFY(d.Position() > 0);
    }

    void startPositionServesTheNextPlayOnly() {
        MediaDevice d;
        openFile(d, m_media["wav"]);
        d.setStartPos(2000);
        d.Play();
        d.Pause();
        QVERIFY(d.Position() >= 2000);
        QVERIFY(d.Position() < 2500);
        d.setPosition(500);
        d.Play();
        d.Pause();
        QVERIFY(d.Position() >= 500);
        QVERIFY(d.Position() < 1500);
    }

    void refusesWithNothingOpen_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("afterClose");
        const char* names[] = {"Play", "Pause", "Stop", "setPosition", "Length", "Tracks"};
        for (int op = 0; op < 6; ++op) {
            QTest::addRow("%s on a new device", names[op]) << op << false;
            QTest::addRow("%s after Close", names[op]) << op << true;
        }
    }
    void refusesWithNothingOpen() {
        QFETCH(int, operation);
        QFETCH(bool, afterClose);
        MediaDevice d;
        if (afterClose) {
            openFile(d, m_media["wav"]);
            d.Close();
        }
        const std::function<void()> ops[] = {[&] { d.Play(); },   [&] { d.Pause(); },
                                             [&] { d.Stop(); },   [&] { d.setPosition(0); },
                                             [&] { d.Length(); }, [&] { d.Tracks(); }};
        QCOMPARE(errorOf(ops[operation]), kNotOpen);
        QCOMPARE(d.mode(), Mode::NotOpen);
        QVERIFY(!d.isOpen());
        QCOMPARE(d.Position(), qint64(0));
        QCOMPARE(d.TrackPosition(1), qint64(0));
        d.setStartPos(100); // accepted, used by a later play
    }

    void badInput_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("error"); // part of the message; empty: it opens and plays

        QTest::newRow("missing file") << file("nothing-here.mp3") << "File not found";
        QTest::newRow("folder") << m_dir.path() << "folder";
        QFile(file("empty.mp3")).open(QIODevice::WriteOnly);
        QTest::newRow("zero-byte file") << file("empty.mp3") << "empty";

        QByteArray noise(64 * 1024, '\0');
        QRandomGenerator rng(7);
        for (char& c : noise)
            c = char(rng.bounded(256));
        for (const char* name : {"noise.mp3", "noise.mid"}) {
            QFile f(file(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(noise);
        }
        QTest::newRow("random bytes named .mp3") << file("noise.mp3") << "Unrecognized file format";
        QTest::newRow("random bytes named .mid") << file("noise.mid") << "Damaged MIDI file";
        {
            QFile f(file("text.wav"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("just some words\n").repeated(100));
        }
        QTest::newRow("text named .wav") << file("text.wav") << "Unrecognized file format";

        QByteArray midi = midiBytes();
        midi[12] = 0;
        midi[13] = 0; // zero ticks per beat
        QByteArray truncatedMidi = midiBytes().left(40);
        QByteArray badMagic = midiBytes();
        badMagic[1] = 'X';
        const std::pair<const char*, QByteArray> midis[] = {
            {"division.mid", midi}, {"truncated.mid", truncatedMidi}, {"magic.mid", badMagic}};
        for (const auto& [name, bytes] : midis) {
            QFile f(file(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QTest::newRow("MIDI header with zero division") << file("division.mid") << "Damaged MIDI";
        QTest::newRow("MIDI without its header magic") << file("magic.mid") << "Damaged MIDI";
        QTest::newRow("MIDI cut inside a track") << file("truncated.mid") << "Damaged MIDI";

        // The header promises 3 s, the data holds 1 s.
        writeWav(file("truncated.wav"), 3000);
        QVERIFY(QFile::resize(file("truncated.wav"), 44 + 44100 * 4));
        QTest::newRow("truncated WAV") << file("truncated.wav") << QString();
    }
    void badInput() {
        QFETCH(QString, path);
        QFETCH(QString, error);
        MediaDevice d;
        openFile(d, m_media["wav"]); // a failed open must also close what was open
        d.setFileName(path);
        if (error.isEmpty()) {
            d.Open();
            QVERIFY(playsToEnd(d));
            return;
        }
        const QString message = errorOf([&] { d.Open(); });
        QVERIFY2(message.contains(error), qPrintable(message));
        QVERIFY2(message.contains(path), qPrintable(message));
        QVERIFY(!d.isOpen());
        QCOMPARE(d.mode(), Mode::NotOpen);
        QCOMPARE(errorOf([&] { d.Play(); }), kNotOpen);
        // The device stays usable.
        openFile(d, m_media["wav"]);
        QCOMPARE(d.Length(), qint64(3000));
    }

    void fileDeletedAfterOpenStillPlays_data() {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("wav") << "wav";
        QTest::newRow("mid") << "mid";
    }
    void fileDeletedAfterOpenStillPlays() {
        QFETCH(QString, suffix);
        const QString copy = file("doomed." + suffix);
        QVERIFY(QFile::copy(m_media[suffix], copy));
        MediaDevice d;
        openFile(d, copy);
        QVERIFY(QFile::remove(copy));
        d.setPosition(2000);
        QVERIFY(playsToEnd(d));
    }

    void cdTracksAndPackedPositions() {
        MediaDevice d;
        openFile(d, m_media["wav"]);
        d.setDeviceType(dtCDAudio);
        d.setCdDevice(m_cd.cue);
        d.Open();
        QCOMPARE(d.Tracks(), 3);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(d.TrackPosition(n), qint64(n));
        QCOMPARE(d.Length(), qint64(packed(3, 0, 1, 15))); // 90 frames into track 3
        QCOMPARE(d.Position(), qint64(packed(1, 0, 0, 0)));

        d.setStartPos(d.TrackPosition(2));
        d.Play();
        QTest::qWait(300);
        d.Pause();
        const qint64 inTrack2 = d.Position();
        QCOMPARE(inTrack2 & 0xFF, 2);
        QVERIFY2((inTrack2 >> 16 & 0xFF) * 75 + (inTrack2 >> 24) > 0,
                 qPrintable(QString::number(inTrack2)));

        d.setPosition(packed(2, 0, 1, 10));
        QCOMPARE(d.Position(), qint64(packed(2, 0, 1, 10)));
        d.setPosition(d.TrackPosition(3));
        QCOMPARE(d.Position(), qint64(packed(3, 0, 0, 0)));
        QVERIFY(playsToEnd(d));
        QCOMPARE(d.Position(), qint64(packed(3, 0, 1, 15)));
        d.Play();
        QCOMPARE(d.Position() & 0xFF, 1);

        // A user's file ends CD mode.
        openFile(d, m_media["wav"]);
        QCOMPARE(d.Length(), qint64(3000));
        QCOMPARE(d.Tracks(), 1);
    }

    void cdOpenFailure_data() {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing image") << file("none.cue") << "not found";
        QFile f(file("bad.cue"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a cue sheet\n");
        f.close();
        QTest::newRow("garbage cue sheet") << file("bad.cue") << "Cannot read the CD image";
    }
    void cdOpenFailure() {
        QFETCH(QString, image);
        QFETCH(QString, error);
        MediaDevice d;
        openFile(d, m_media["wav"]);
        d.setDeviceType(dtCDAudio);
        d.setCdDevice(image);
        const QString message = errorOf([&] { d.Open(); });
        QVERIFY2(message.contains(error), qPrintable(message));
        QVERIFY(!d.isOpen());
        QCOMPARE(d.DeviceType(), dtCDAudio);
    }
};

QTEST_GUILESS_MAIN(tst_MediaDevice)
#include "tst_MediaDevice.moc"
