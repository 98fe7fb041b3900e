// Tests of the ".qpl" format and the ".wpl" import.
#include "TestEnv.h"
#include "playlist/PlaylistFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace qarn;
using qarn::test::readBytes;
using qarn::test::writeBytes;

class PlaylistFilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void initTestCase() {
        test::ensurePrivateRuntimeDir();
        QVERIFY(dir_.isValid());
    }

    void qplBytes_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two entries")
            << QStringList{"/m/a.mp3", "/n/b.wav"} << QByteArray("/m/a.mp3\r\n/n/b.wav\r\n");
        QTest::newRow("empty playlist") << QStringList{} << QByteArray();
        QTest::newRow("empty entry and blanks kept")
            << QStringList{" /a ", "", "/b"} << QByteArray(" /a \r\n\r\n/b\r\n");
        QTest::newRow("UTF-8") << QStringList{QString::fromUtf8("/музыка/é.mp3")}
                               << QByteArray("/\xd0\xbc\xd1\x83\xd0\xb7\xd1\x8b\xd0\xba\xd0\xb0/"
                                             "\xc3\xa9.mp3\r\n");
    }
    void qplBytes() {
        QFETCH(QStringList, paths);
        QFETCH(QByteArray, bytes);
        const QString file = dir_.filePath("bytes.qpl");
        writeQpl(file, paths);
        QCOMPARE(readBytes(file), bytes);
        QCOMPARE(readQpl(file), paths);
    }

    void qplLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("LF, no final break") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("mixed breaks")
            << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty middle lines")
            << QByteArray("a\r\n\r\n\nb\r\n") << QStringList{"a", "", "", "b"};
        QTest::newRow("only a break") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("blanks kept") << QByteArray(" a b \r\n\t\r\n") << QStringList{" a b ", "\t"};
        QTest::newRow("zero byte ends the text")
            << QByteArray("a\r\nb\0c\r\nd\r\n", 11) << QStringList{"a", "b"};
        QTest::newRow("zero byte first") << QByteArray("\0a\r\n", 4) << QStringList{};
    }
    void qplLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QString file = dir_.filePath("lines.qpl");
        writeBytes(file, bytes);
        QCOMPARE(readQpl(file), lines);
    }

    void badQplInput() {
        const QString file = dir_.filePath("bad.qpl");

        QByteArray garbage(64 * 1024, Qt::Uninitialized);
        QRandomGenerator rng(42);
        for (char& c : garbage)
            c = char(1 + rng.bounded(255)); // no zero byte, so all of it is read
        writeBytes(file, garbage);
        const QStringList fromGarbage = readQpl(file);
        QVERIFY(!fromGarbage.isEmpty());
        QVERIFY(!fromGarbage.join(QString()).contains(u'\r'));

        writeBytes(file, QByteArray("/bad/\xff\xfe.mp3\r\n"));
        QCOMPARE(readQpl(file).size(), 1);

        const QByteArray longLine(10 * 1024 * 1024, 'x');
        writeBytes(file, longLine);
        const QStringList one = readQpl(file);
        QCOMPARE(one.size(), 1);
        QCOMPARE(one.first().size(), longLine.size());

        QStringList many;
        for (int i = 0; i < 100000; ++i)
            many << QStringLiteral("/music/%1.mp3").arg(i);
        writeQpl(file, many);
        QCOMPARE(readQpl(file), many);
    }

    void unopenableQplThrows() {
        QVERIFY_THROWS_EXCEPTION(FileError, readQpl(dir_.filePath("missing.qpl")));
        QVERIFY_THROWS_EXCEPTION(FileError, readQpl(dir_.path()));
        QVERIFY_THROWS_EXCEPTION(FileError, readWpl(dir_.filePath("missing.wpl")));
    }

    void wplImport_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected"); // "@" stands for the .wpl's folder
        const QByteArray head =
            "<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <head><title>t</title></head>\r\n"
            "  <body>\r\n    <seq>\r\n";
        const QByteArray tail = "    </seq>\r\n  </body>\r\n</smil>\r\n";
        QTest::newRow("document order, absolute")
            << head +
                   "      <media src=\"/m/a.mp3\"/>\r\n      <media src=\"/m/b.mp3\"/>\r\n"
                   "      <media src=\"/m/c.mp3\"/>\r\n" +
                   tail
            << QStringList{"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"};
        QTest::newRow("entities decoded")
            << head + "<media src=\"/m/Tom &amp; Jerry&apos;s &#233;&#x41;.mp3\" tid=\"{1}\"/>" +
                   tail
            << QStringList{QString::fromUtf8("/m/Tom & Jerry's éA.mp3")};
        QTest::newRow("relative resolved against the playlist's folder")
            << head + "<media src=\"sub/a.mp3\"/><media src=\"../b.mp3\"/>" + tail
            << QStringList{"@/sub/a.mp3", "@/../b.mp3"};
        QTest::newRow("everything on one line")
            << QByteArray("<smil><body><seq><media src=\"/a.mp3\"/></seq></body></smil>")
            << QStringList{"/a.mp3"};
        QTest::newRow("media without src skipped")
            << head + "<media/><media src=\"\"/><media src=\"/a.mp3\"/>" + tail
            << QStringList{"/a.mp3"};
        QTest::newRow("URL kept") << head + "<media src=\"http://h/s.mp3\"/>" + tail
                                  << QStringList{"http://h/s.mp3"};
        QTest::newRow("not XML: line scan")
            << QByteArray(
                   "garbage <<<\n  <media src=\"/m/a.mp3\" x=1>\n<media src=\"b &amp; c.mp3\"/>"
                   "<media src=\"/m/d.mp3\"\n<media src=\"/no/closing/quote\n")
            << QStringList{"/m/a.mp3", "@/b & c.mp3", "/m/d.mp3"};
        QTest::newRow("truncated keeps the complete entries")
            << head + "      <media src=\"/m/a.mp3\"/>\r\n      <media src=\"/m/b.mp3\"/>\r\n"
                      "      <media src=\"/m/c"
            << QStringList{"/m/a.mp3", "/m/b.mp3"};
        QTest::newRow("undeclared entity falls back to the scan")
            << head + "<media src=\"/m/a&nbsp;b.mp3\"/>" + tail << QStringList{"/m/a&nbsp;b.mp3"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("binary") << QByteArray("\x01\xff\0<media src=\"/a\"/>", 20) << QStringList{};
    }
    void wplImport() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QTemporaryDir folder(dir_.filePath("wplXXXXXX"));
        const QString file = folder.filePath("list.wpl");
        writeBytes(file, bytes);
        for (QString& path : expected) {
            if (path.startsWith(u'@'))
                path = QDir::cleanPath(folder.path() + path.mid(1));
        }
        QCOMPARE(readWpl(file), expected);
    }
};

QTEST_GUILESS_MAIN(PlaylistFilesTest)
#include "PlaylistFilesTest.moc"
