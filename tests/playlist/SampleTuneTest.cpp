// Tests of the sample tune built into the program folder.
#include "TestEnv.h"
#include "appearance/ProfileFile.h"

#include <QFile>
#include <QTest>

#include <fluidsynth.h>

#include <map>

using namespace qarn;

namespace {

struct Reader {
    const QByteArray& bytes;
    qsizetype pos = 0;
    bool ok = true;

    quint32 take(int n) {
        quint32 v = 0;
        for (int i = 0; i < n; ++i) {
            if (pos >= bytes.size()) {
                ok = false;
                return 0;
            }
            v = (v << 8) | quint8(bytes[pos++]);
        }
        return v;
    }
    quint32 variable() {
        quint32 v = 0;
        for (int i = 0; i < 4; ++i) {
            const quint32 b = take(1);
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return v;
        }
        ok = false;
        return v;
    }
};

} // namespace

class SampleTuneTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::ensurePrivateRuntimeDir(); }

    // Walks every event: the file must be a sound Type 1 file of about half a minute with every
    // note released, as the default "LastFile" a first start opens.
    void sampleTuneIsAShortWellFormedMidiFile() {
        const QString path = defaultLastFile(QStringLiteral(QARN_PROGRAM_DIR));
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray bytes = file.readAll();
        QVERIFY(fluid_is_midifile(QFile::encodeName(path).constData()));

        Reader r{bytes};
        QCOMPARE(r.take(4), 0x4D546864u); // MThd
        QCOMPARE(r.take(4), 6u);
        QCOMPARE(r.take(2), 1u);
        const quint32 tracks = r.take(2);
        const quint32 division = r.take(2);
        QVERIFY(tracks >= 2 && division > 0 && division < 0x8000);

        quint32 microsPerQuarter = 500000;
        quint64 longestTicks = 0;
        int notes = 0;
        for (quint32 t = 0; t < tracks; ++t) {
            QCOMPARE(r.take(4), 0x4D54726Bu); // MTrk
            const quint32 length = r.take(4);
            const qsizetype end = r.pos + length;
            QVERIFY(end <= bytes.size());
            quint64 ticks = 0;
            std::map<int, int> sounding;
            bool endOfTrack = false;
            while (r.ok && r.pos < end && !endOfTrack) {
                ticks += r.variable();
                const quint32 status = r.take(1);
                QVERIFY2(status & 0x80, "running status is not used by the generator");
                if (status == 0xFF) {
                    const quint32 type = r.take(1);
                    const quint32 length = r.variable();
                    if (type == 0x51)
                        microsPerQuarter = r.take(3);
                    else
                        r.pos += length;
                    endOfTrack = type == 0x2F;
                    continue;
                }
                const int key = int(status & 0x0F) * 128 + int(r.take(1));
                const int dataBytes = (status & 0xE0) == 0xC0 ? 0 : 1;
                const quint32 velocity = dataBytes ? r.take(1) : 0;
                if ((status & 0xF0) == 0x90 && velocity > 0) {
                    ++sounding[key];
                    ++notes;
                } else if ((status & 0xF0) == 0x80 || (status & 0xF0) == 0x90) {
                    QVERIFY(sounding[key]-- > 0);
                }
            }
            QVERIFY(r.ok && endOfTrack && r.pos == end);
            for (const auto& [key, count] : sounding)
                QVERIFY2(count == 0, "a note is never released");
            longestTicks = std::max(longestTicks, ticks);
        }
        QCOMPARE(r.pos, bytes.size());
        const double seconds = double(longestTicks) / division * microsPerQuarter / 1e6;
        QVERIFY2(seconds >= 20 && seconds <= 32, qPrintable(QString::number(seconds)));
        QVERIFY(notes > 100);
    }
};

QTEST_GUILESS_MAIN(SampleTuneTest)
#include "SampleTuneTest.moc"
