// MIDI file reading: lengths through tempo changes, time/tick mapping, damaged files.
#include "MediaFixtures.h"
#include "playback/MidiFile.h"

#include <QTest>

using namespace qarn::playback;

namespace {

QByteArray track(const QByteArray& events) {
    QByteArray t("MTrk");
    for (int i = 3; i >= 0; --i)
        t.append(char((events.size() >> (8 * i)) & 0xFF));
    return t + events;
}

QByteArray smf(int division, const QList<QByteArray>& tracks, int format = 1) {
    QByteArray b("MThd\0\0\0\x06", 8);
    b.append(char(0)).append(char(format));
    b.append(char(tracks.size() >> 8)).append(char(tracks.size()));
    b.append(char(division >> 8)).append(char(division & 0xFF));
    for (const QByteArray& t : tracks)
        b += track(t);
    return b;
}

} // namespace

class tst_MidiFile : public QObject {
    Q_OBJECT
private slots:
    void lengthFollowsTheTempoMap_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<qint64>("ticks");
        QTest::newRow("fixture: 120 bpm, then 60 bpm")
            << qarn::test::midiBytes() << qarn::test::kMidiLengthMs / 1000.0 << qint64(2400);
        // No tempo event: 120 bpm. 96 ticks per beat, 384 ticks = 2 s.
        QTest::newRow("default tempo")
            << smf(96, {QByteArray::fromHex("00903c408300803c0000ff2f00")}) << 2.0 << qint64(384);
        // Tempo in the second track, notes in the first; the longest track sets the length.
        QTest::newRow("tempo in another track, format 1")
            << smf(100, {QByteArray::fromHex("00c0008148ff2f00"),
                         QByteArray::fromHex("00ff5103030d4064ff51030f424000ff2f00")})
            << 0.2 + 1.0 << qint64(200);
        // Running status: the second note-on has no status byte.
        QTest::newRow("running status")
            << smf(480, {QByteArray::fromHex("00903c4083603e4000ff2f00")}) << 0.5 << qint64(480);
        QTest::newRow("track without end-of-track event")
            << smf(480, {QByteArray::fromHex("00903c40836080"
                                             "3c00")})
            << 0.5 << qint64(480);
        QTest::newRow("format 0, sysex and text events")
            << smf(480, {QByteArray::fromHex("00f0037e7ff700ff01036162638360ff2f00")}, 0) << 0.5
            << qint64(480);
    }
    void lengthFollowsTheTempoMap() {
        QFETCH(QByteArray, file);
        QFETCH(double, seconds);
        QFETCH(qint64, ticks);
        const MidiSong song = parseMidiFile(file);
        QCOMPARE(song.totalTicks, ticks);
        QVERIFY2(qAbs(song.durationSeconds - seconds) < 1e-9,
                 qPrintable(QString::number(song.durationSeconds)));
    }

    void timeAndTickMapBothWays_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<qint64>("tick");
        QTest::newRow("start") << 0.0 << qint64(0);
        QTest::newRow("first tempo") << 1.0 << qint64(960);
        QTest::newRow("at the change") << 2.0 << qint64(1920);
        QTest::newRow("after the change") << 2.5 << qint64(2160);
        QTest::newRow("end") << 3.0 << qint64(2400);
    }
    void timeAndTickMapBothWays() {
        QFETCH(double, seconds);
        QFETCH(qint64, tick);
        const MidiSong song = parseMidiFile(qarn::test::midiBytes());
        QCOMPARE(song.tickAt(seconds), tick);
        QVERIFY(qAbs(song.secondsAt(tick) - seconds) < 1e-9);
        QCOMPARE(song.tickAt(-1), qint64(0));
        QCOMPARE(song.tickAt(99), song.totalTicks);
    }

    void rmidWrapperIsUnwrapped() {
        QByteArray data = qarn::test::midiBytes();
        const quint32 n = quint32(data.size());
        QByteArray riff = "RIFF" + QByteArray(4, '\0') + "RMID" + "LIST" +
                          QByteArray::fromHex("02000000") + "ab" + "data";
        for (int i = 0; i < 4; ++i)
            riff.append(char((n >> (8 * i)) & 0xFF));
        riff += data;
        const MidiSong song = parseMidiFile(riff);
        QCOMPARE(song.smf, data);
        QCOMPARE(song.totalTicks, qint64(2400));
    }

    void damagedFilesAreRefused_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray good = qarn::test::midiBytes();
        QTest::newRow("empty") << QByteArray() << "header is missing";
        QTest::newRow("not MIDI") << QByteArray("RIFF....WAVEfmt ") << "header is missing";
        QTest::newRow("header cut short") << good.left(12) << "header is missing";
        QTest::newRow("header length past the end")
            << QByteArray("MThd\x7f\0\0\0\0\0\0\x01\0\x60", 14) << "header is damaged";
        QByteArray zeroDivision = good;
        zeroDivision[12] = zeroDivision[13] = 0;
        QTest::newRow("zero division") << zeroDivision << "zero ticks";
        QByteArray smpte = good;
        smpte[12] = char(0xE7);
        QTest::newRow("SMPTE division") << smpte << "SMPTE";
        QByteArray badFormat = good;
        badFormat[9] = 7;
        QTest::newRow("unknown format") << badFormat << "format";
        QTest::newRow("no tracks") << smf(96, {}) << "no tracks";
        QTest::newRow("track cut short") << good.left(good.size() - 5) << "truncated";
        QTest::newRow("event cut inside its track")
            << smf(96, {QByteArray::fromHex("00ff5103")}) << "middle of an event";
        QTest::newRow("data before any status")
            << smf(96, {QByteArray::fromHex("003c40")}) << "no status";
        QTest::newRow("tempo of zero")
            << smf(96, {QByteArray::fromHex("00ff5103000000")}) << "tempo";
        QTest::newRow("endless delta")
            << smf(96, {QByteArray::fromHex("ffffffff7f")}) << "too long";
        QTest::newRow("RMID without data") << QByteArray("RIFF\4\0\0\0RMID", 12) << "no data chunk";
    }
    void damagedFilesAreRefused() {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        try {
            parseMidiFile(file);
            QFAIL("accepted");
        } catch (const MidiFormatError& e) {
            QVERIFY2(QString::fromUtf8(e.what()).contains(reason), e.what());
        }
    }
};

QTEST_GUILESS_MAIN(tst_MidiFile)
#include "tst_MidiFile.moc"
