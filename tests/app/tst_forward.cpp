// The forwarded command tail and its wire record.
#include "app/ForwardRecord.h"

#include <QtEndian>
#include <QtTest>

using namespace qarn;

class TestForward : public QObject {
    Q_OBJECT
private slots:
    void tailIsBuiltLikeTheShell_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no arguments") << QStringList{} << "";
        QTest::newRow("absolute path") << QStringList{"/music/a.mp3"} << "\"/music/a.mp3\"";
        QTest::newRow("path with blanks")
            << QStringList{"/My Music/a b.mp3"} << "\"/My Music/a b.mp3\"";
        QTest::newRow("relative path") << QStringList{"sub/a.mp3"} << "\"/home/u/sub/a.mp3\"";
        QTest::newRow("dot segments") << QStringList{"../x/./a.wav"} << "\"/home/x/a.wav\"";
        QTest::newRow("switch bare") << QStringList{"-next"} << "-next";
        QTest::newRow("capital switch stays") << QStringList{"-Play"} << "-Play";
        QTest::newRow("trailing text")
            << QStringList{"-play", "a.mp3"} << "-play \"/home/u/a.mp3\"";
        QTest::newRow("url kept") << QStringList{"http://example.org/s.mp3"}
                                  << "\"http://example.org/s.mp3\"";
        QTest::newRow("utf8 name") << QStringList{"/музыка/песня.mp3"} << "\"/музыка/песня.mp3\"";
    }
    void tailIsBuiltLikeTheShell() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QCOMPARE(buildCommandTail(args, "/home/u"), expected);
    }

    void recordRoundTrips_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("switch") << "-play";
        QTest::newRow("quoted path with blanks") << "\"/My Music/a.mp3\"";
        QTest::newRow("trailing blanks") << "\"/a.mp3\"  ";
        QTest::newRow("cyrillic") << "\"/музыка/песня.mp3\"";
    }
    void recordRoundTrips() {
        QFETCH(QString, text);
        const QByteArray record = encodeForwardRecord(text);
        QCOMPARE(qFromLittleEndian<quint32>(record.constData()), 0xF0F0F0F0u);
        QCOMPARE(qFromLittleEndian<quint32>(record.constData() + 4),
                 quint32(text.toUtf8().size() + 1));
        QCOMPARE(record.back(), '\0');
        QCOMPARE(decodeForwardRecord(record), std::optional<QString>(text));
    }

    void emptyTextCountsTheZeroByte() {
        const QByteArray record = encodeForwardRecord(QString());
        QCOMPARE(record.size(), 9);
        QCOMPARE(qFromLittleEndian<quint32>(record.constData() + 4), 1u);
    }

    void badRecordsAreRejected_data() {
        QTest::addColumn<QByteArray>("record");
        const QByteArray good = encodeForwardRecord("-play");
        QByteArray badMarker = good;
        badMarker[0] = 0x0F;
        QByteArray oversized = good;
        qToLittleEndian<quint32>(kForwardMaxRecord, oversized.data() + 4);
        QByteArray zeroLength = good;
        qToLittleEndian<quint32>(0, zeroLength.data() + 4);
        QTest::newRow("wrong marker") << badMarker;
        QTest::newRow("shorter than header") << good.left(5);
        QTest::newRow("shorter than announced") << good.left(good.size() - 2);
        QTest::newRow("over the size cap") << oversized;
        QTest::newRow("zero length") << zeroLength;
        QTest::newRow("nothing") << QByteArray();
    }
    void badRecordsAreRejected() {
        QFETCH(QByteArray, record);
        QVERIFY(!decodeForwardRecord(record).has_value());
    }

    void textStopsAtFirstZeroByte() {
        QByteArray record = encodeForwardRecord("abcdef");
        record[kForwardHeaderSize + 3] = '\0';
        QCOMPARE(decodeForwardRecord(record), std::optional<QString>("abc"));
    }
};

QTEST_GUILESS_MAIN(TestForward)
#include "tst_forward.moc"
