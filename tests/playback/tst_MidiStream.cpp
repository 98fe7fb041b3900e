// MIDI rendering: what libmpv plays from the synthesizer stream, captured with its PCM writer.
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "playback/MidiFile.h"
#include "playback/MidiStream.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <mpv/client.h>

#include <clocale>
#include <cmath>
#include <memory>

using namespace qarn::playback;

namespace {

struct Capture {
    double seconds = 0;
    double loudSeconds = 0; // 10 ms blocks above a low level
    double firstOnset = -1; // start of the first loud block
};

// 16 beats at 120 bpm (8 s), then 6 beats at 60 bpm: 14 s, a note on every beat.
QByteArray longSong() {
    auto varLen = [](QByteArray& b, quint32 v) {
        QByteArray t(1, char(v & 0x7F));
        while (v >>= 7)
            t.prepend(char(0x80 | (v & 0x7F)));
        b += t;
    };
    QByteArray tempo;
    varLen(tempo, 0);
    tempo += QByteArray::fromHex("ff510307a120");
    varLen(tempo, 16 * 480);
    tempo += QByteArray::fromHex("ff51030f4240");
    varLen(tempo, 6 * 480);
    tempo += QByteArray::fromHex("ff2f00");
    QByteArray notes;
    for (int beat = 0; beat < 22; ++beat) {
        varLen(notes, beat == 0 ? 0 : 96);
        notes += QByteArray::fromHex("904864");
        varLen(notes, 384);
        notes += QByteArray::fromHex("804840");
    }
    varLen(notes, 96);
    notes += QByteArray::fromHex("ff2f00");
    QByteArray b = QByteArray::fromHex("4d546864000000060001000201e0"); // 480 ticks per beat
    for (const QByteArray& t : {tempo, notes}) {
        b += "MTrk";
        for (int i = 3; i >= 0; --i)
            b += char((t.size() >> (8 * i)) & 0xFF);
        b += t;
    }
    return b;
}

// Plays url to its end into a WAV file; the PCM writer runs faster than real time.
Capture render(MidiProtocol& protocol, const QByteArray& url, const QByteArray& options,
               const QString& out) {
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return {};
    const QByteArray file = QFile::encodeName(out);
    for (auto [k, v] : {std::pair{"vo", "null"},
                        {"ao", "pcm"},
                        {"ao-pcm-file", file.constData()},
                        {"ao-pcm-waveheader", "no"},
                        {"audio-format", "s16"},
                        {"audio-channels", "stereo"},
                        {"audio-samplerate", "44100"},
                        {"load-scripts", "no"},
                        {"ytdl", "no"}})
        mpv_set_option_string(mpv, k, v);
    Capture c;
    if (mpv_initialize(mpv) >= 0 && protocol.registerWith(mpv)) {
        const char* cmd[] = {"loadfile", url.constData(), "replace", options.constData(), nullptr};
        mpv_command(mpv, cmd);
        for (;;) {
            const mpv_event* e = mpv_wait_event(mpv, 20);
            if (e->event_id == MPV_EVENT_NONE || e->event_id == MPV_EVENT_END_FILE)
                break;
        }
    }
    mpv_terminate_destroy(mpv);

    QFile f(out);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pcm = f.readAll();
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype frames = pcm.size() / 4;
    c.seconds = double(frames) / 44100;
    constexpr int kBlock = 441;
    for (qsizetype b = 0; b + kBlock <= frames; b += kBlock) {
        double sum = 0;
        for (qsizetype i = b * 2; i < (b + kBlock) * 2; ++i)
            sum += double(s[i]) * s[i];
        if (std::sqrt(sum / (kBlock * 2)) > 100) {
            c.loudSeconds += 0.01;
            if (c.firstOnset < 0)
                c.firstOnset = double(b) / 44100;
        }
    }
    return c;
}

} // namespace

class tst_MidiStream : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        qarn::test::ensurePrivateRuntimeDir();
        if (MidiProtocol::soundFontPath().isEmpty())
            QSKIP("no General MIDI SoundFont installed");
    }

    void rendersTheSongFromTheRequestedPlace_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("minLoud");
        // Five notes of 0.42 s and 0.83 s; release tails add to the loud time.
        QTest::newRow("whole song") << QByteArray("start=0") << 3.0 << 2.0;
        // Within what libmpv has already read: the notes at 1.0, 1.5 and 2.0 s sound.
        QTest::newRow("from 0.75 s") << QByteArray("start=0.75") << 2.25 << 1.4;
    }
    void rendersTheSongFromTheRequestedPlace() {
        QFETCH(QByteArray, options);
        QFETCH(double, seconds);
        QFETCH(double, minLoud);
        MidiProtocol protocol;
        const QByteArray url =
            protocol.add(std::make_shared<const MidiSong>(parseMidiFile(qarn::test::midiBytes())));
        const Capture c = render(protocol, url, options + ",demuxer=lavf,demuxer-lavf-format=wav",
                                 m_dir.filePath("out.raw"));
        QVERIFY2(qAbs(c.seconds - seconds) < 0.05, qPrintable(QString::number(c.seconds)));
        QVERIFY2(c.loudSeconds >= minLoud, qPrintable(QString::number(c.loudSeconds)));
        QVERIFY(c.loudSeconds <= c.seconds);
    }

    // A seek far into the song lands on the right beat through the tempo change: after 10.25 s
    // the next note starts at 11.0 s. Notes begun before the seek point are not replayed.
    void seekLandsOnTheBeatAfterATempoChange() {
        MidiProtocol protocol;
        const QByteArray url =
            protocol.add(std::make_shared<const MidiSong>(parseMidiFile(longSong())));
        const Capture c = render(protocol, url, "start=10.25,demuxer=lavf,demuxer-lavf-format=wav",
                                 m_dir.filePath("seek.raw"));
        QVERIFY2(qAbs(c.seconds - 3.75) < 0.05, qPrintable(QString::number(c.seconds)));
        QVERIFY2(qAbs(c.firstOnset - 0.75) <= 0.03, qPrintable(QString::number(c.firstOnset)));
    }

    void unknownUrlFailsToLoad() {
        MidiProtocol protocol;
        const QByteArray url =
            protocol.add(std::make_shared<const MidiSong>(parseMidiFile(qarn::test::midiBytes())));
        protocol.remove(url);
        const Capture c = render(protocol, url, "start=0", m_dir.filePath("none.raw"));
        QCOMPARE(c.seconds, 0.0);
    }
};

QTEST_GUILESS_MAIN(tst_MidiStream)
#include "tst_MidiStream.moc"
