// Tests of the profile file rules and the stored player settings.
#include "appearance/ProfileFile.h"
#include "FileFaults.h"
#include "TestEnv.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <sys/stat.h>

using namespace qarn;
using qarn::test::readBytes;
using qarn::test::writeBytes;

class ProfileFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    ProfileFile load(const QByteArray& bytes) {
        const QString file = dir_.filePath("t.INI");
        writeBytes(file, bytes);
        return ProfileFile(file);
    }

private slots:
    void initTestCase() {
        test::ensurePrivateRuntimeDir();
        QVERIFY(dir_.isValid());
    }

    void integerRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -777 stands for "the default"
        QTest::newRow("decimal") << "10" << 10;
        QTest::newRow("leading blanks") << "  \t10" << 10;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("plus") << "+5" << 5;
        QTest::newRow("0x") << "0x1F" << 31;
        QTest::newRow("0X") << "0X1f" << 31;
        QTest::newRow("dollar") << "$ff" << 255;
        QTest::newRow("negative hex") << "-$10" << -16;
        QTest::newRow("int max") << "2147483647" << 2147483647;
        QTest::newRow("int min") << "-2147483648" << int(-2147483648LL);
        QTest::newRow("hex int max") << "0x7FFFFFFF" << 2147483647;
        QTest::newRow("trailing blank") << "10 " << -777;
        QTest::newRow("blank after sign") << "- 5" << -777;
        QTest::newRow("fraction") << "1.5" << -777;
        QTest::newRow("trailing letters") << "12abc" << -777;
        QTest::newRow("word") << "true" << -777;
        QTest::newRow("empty") << "" << -777;
        QTest::newRow("sign only") << "-" << -777;
        QTest::newRow("prefix only") << "0x" << -777;
        QTest::newRow("dollar only") << "$" << -777;
        QTest::newRow("bad hex digit") << "0x1G" << -777;
        QTest::newRow("hex letter in decimal") << "1f" << -777;
        QTest::newRow("above int") << "2147483648" << -777;
        QTest::newRow("hex above int") << "0xFFFFFFFF" << -777;
        QTest::newRow("huge") << QString(5000, u'9') << -777;
    }
    void integerRule() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const ProfileFile ini = load("[Form]\r\nTop=" + text.toUtf8() + "\r\n");
        QCOMPARE(ini.readInteger(u"Form", u"Top", -777), expected);
    }

    void booleanRule_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("whenDefaultFalse");
        QTest::addColumn<bool>("whenDefaultTrue");
        QTest::newRow("1") << QByteArray("1") << true << true;
        QTest::newRow("0") << QByteArray("0") << false << false;
        QTest::newRow("2") << QByteArray("2") << true << true;
        QTest::newRow("-1") << QByteArray("-1") << true << true;
        QTest::newRow("hex zero") << QByteArray("0x0") << false << false;
        QTest::newRow("true") << QByteArray("true") << false << true;
        QTest::newRow("empty") << QByteArray() << false << true;
    }
    void booleanRule() {
        QFETCH(QByteArray, text);
        QFETCH(bool, whenDefaultFalse);
        QFETCH(bool, whenDefaultTrue);
        const ProfileFile ini = load("[Init]\nEngLang=" + text + "\n");
        QCOMPARE(ini.readBool(u"Init", u"EngLang", false), whenDefaultFalse);
        QCOMPARE(ini.readBool(u"Init", u"EngLang", true), whenDefaultTrue);
    }

    void textRule_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // of [Init] LastFile, default "<default>"
        QTest::newRow("plain") << QByteArray("[Init]\nLastFile=/m/a.mp3\n") << "/m/a.mp3";
        QTest::newRow("names ignore case and blanks")
            << QByteArray("[ iNIT ]\n  lastfile =/m/a.mp3\n") << "/m/a.mp3";
        QTest::newRow("value after the first =") << QByteArray("[Init]\nLastFile=a=b\n") << "a=b";
        QTest::newRow("value blanks kept") << QByteArray("[Init]\nLastFile= a \n") << " a ";
        QTest::newRow("empty value is empty") << QByteArray("[Init]\nLastFile=\n") << "";
        QTest::newRow("missing key") << QByteArray("[Init]\nRepeat=1\n") << "<default>";
        QTest::newRow("missing section") << QByteArray("[Form]\nLastFile=x\n") << "<default>";
        QTest::newRow("key before any section")
            << QByteArray("LastFile=x\n[Init]\n") << "<default>";
        QTest::newRow("other section's key")
            << QByteArray("[Init]\n[Color]\nLastFile=x\n") << "<default>";
        QTest::newRow("duplicate key: first")
            << QByteArray("[Init]\nLastFile=1\nLastFile=2\n") << "1";
        QTest::newRow("duplicate section: first")
            << QByteArray("[Init]\nLastFile=1\n[Init]\nLastFile=2\n") << "1";
        QTest::newRow("duplicate section: key only in the second")
            << QByteArray("[Init]\nRepeat=1\n[Form]\n[init]\nLastFile=2\n") << "2";
        QTest::newRow("CR LF") << QByteArray("[Init]\r\nLastFile=/a\r\n") << "/a";
        QTest::newRow("lone CR") << QByteArray("[Init]\rLastFile=/a\r") << "/a";
        QTest::newRow("no trailing newline") << QByteArray("[Init]\nLastFile=/a") << "/a";
        QTest::newRow("garbage around")
            << QByteArray("\x01\xff\xfe garbage\n[Init\n=x\n[Init]\n;LastFile=no\n\x80=\x81\n"
                          "LastFile=/a\n")
            << "/a";
        QTest::newRow("UTF-8") << QByteArray("[Init]\nLastFile=/\xc3\xa9.mid\n")
                               << QString::fromUtf8("/é.mid");
        QTest::newRow("empty file") << QByteArray() << "<default>";
    }
    void textRule() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const ProfileFile ini = load(content);
        QCOMPARE(ini.readString(u"Init", u"LastFile", "<default>"), expected);
    }

    void hugeValueReadWhole() {
        const QByteArray value(4 * 1024 * 1024, 'v');
        const ProfileFile ini = load("[Color]\nTheme=" + value);
        QCOMPARE(ini.readString(u"Color", u"Theme", QString()).size(), value.size());
    }

    void missingOrUnreadableFileGivesDefaults() {
        for (const QString& name : {dir_.filePath("none.INI"), dir_.path()}) {
            const ProfileFile ini(name);
            QCOMPARE(ini.readInteger(u"Form", u"Top", 10), 10);
            QCOMPARE(ini.readString(u"Init", u"LastFile", "d"), QStringLiteral("d"));
        }
    }

    // Each write changes only its own line; everything else stays byte for byte.
    void writeKeepsOtherLines_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replace in place, name's case kept")
            << QByteArray("; note\r\n[form]\r\ntop = 1\r\nLeft=2\r\n") << "Form"
            << "Top" << QByteArray("; note\r\n[form]\r\ntop =7\r\nLeft=2\r\n");
        QTest::newRow("add after the section's last entry")
            << QByteArray("[Form]\nLeft=2\n\n[Init]\nRepeat=1\n") << "Form"
            << "Top" << QByteArray("[Form]\nLeft=2\nTop=7\n\n[Init]\nRepeat=1\n");
        QTest::newRow("new section at the end, break added")
            << QByteArray("[Init]\r\nRepeat=1") << "Form"
            << "Top" << QByteArray("[Init]\r\nRepeat=1\r\n[Form]\r\nTop=7\r\n");
        QTest::newRow("new file") << QByteArray() << "Form"
                                  << "Top" << QByteArray("[Form]\nTop=7\n");
        QTest::newRow("duplicates: first one changes")
            << QByteArray("[Form]\nTop=1\n[Form]\nTop=2\n") << "Form"
            << "Top" << QByteArray("[Form]\nTop=7\n[Form]\nTop=2\n");
        QTest::newRow("garbage kept") << QByteArray("\x01\xff junk\n[Form]\nTop=\x80\n") << "Form"
                                      << "Top" << QByteArray("\x01\xff junk\n[Form]\nTop=7\n");
    }
    void writeKeepsOtherLines() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        ProfileFile ini = load(before);
        ini.writeInteger(section, key, 7);
        ini.save();
        QCOMPARE(readBytes(ini.fileName()), after);
        QCOMPARE(ProfileFile(ini.fileName()).readInteger(section, key, 0), 7);
    }

    void lineBreakInValueRefused() {
        ProfileFile ini = load("[Init]\nLastFile=/a\n");
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 ini.writeString(u"Init", u"LastFile", "/a\n[Init]\nRepeat=1"));
        QCOMPARE(ini.toBytes(), QByteArray("[Init]\nLastFile=/a\n"));
    }

    void settingsDefaultsAndRoundTrip() {
        const QString programDir = dir_.filePath("program");
        const PlayerSettings defaults =
            PlayerSettings::read(ProfileFile(dir_.filePath("absent.INI")), programDir);
        QCOMPARE(defaults.theme, QString());
        QCOMPARE(defaults.top, 10);
        QCOMPARE(defaults.left, 10);
        QCOMPARE(defaults.transparent, 255);
        QVERIFY(!defaults.repeat && !defaults.random && !defaults.savePlayList);
        QVERIFY(defaults.hidePl && defaults.engLang);
        QCOMPARE(defaults.lastFile, programDir + "/samples/OdeToJoy.mid");

        PlayerSettings s;
        s.theme = "/t/";
        s.top = -20;
        s.left = 3000;
        s.transparent = 100;
        s.repeat = s.random = s.savePlayList = true;
        s.hidePl = s.engLang = false;
        s.lastFile = QString();
        ProfileFile ini(dir_.filePath("round.INI"));
        s.writeWindowAndOptions(ini);
        s.writeRemaining(ini);
        ini.save();
        const PlayerSettings back = PlayerSettings::read(ProfileFile(ini.fileName()), programDir);
        QCOMPARE(back.theme, s.theme);
        QCOMPARE(back.top, s.top);
        QCOMPARE(back.left, s.left);
        QCOMPARE(back.transparent, s.transparent);
        QVERIFY(back.repeat && back.random && back.savePlayList);
        QVERIFY(!back.hidePl && !back.engLang);
        QCOMPARE(back.lastFile, QString()); // stored empty, read empty: not the default
    }

    // The close order: what was saved before a failing step stays, the rest is not written.
    void failedSaveKeepsEarlierSteps() {
        QTemporaryDir folder;
        const QString file = folder.filePath("qarn-player.INI");
        writeBytes(file, "[Init]\nLastFile=/old.mp3\n");
        PlayerSettings s;
        s.top = 42;
        s.lastFile = "/new.mp3";
        ProfileFile ini(file);
        s.writeWindowAndOptions(ini);
        ini.save();
        {
            test::ReadOnlyFolder readOnly(folder.path());
            if (!readOnly.active())
                QSKIP("this file system cannot make a folder read-only");
            s.writeRemaining(ini);
            QVERIFY_THROWS_EXCEPTION(FileError, ini.save());
        }
        const ProfileFile back(file);
        QCOMPARE(back.readInteger(u"Form", u"Top", 0), 42);
        QCOMPARE(back.readString(u"Init", u"LastFile", {}), QStringLiteral("/old.mp3"));
        QVERIFY(!back.valueExists(u"Init", u"EngLang"));
    }

    void paths() {
        QCOMPARE(settingsFilePath("/opt/qarn/qarn-player"),
                 QStringLiteral("/opt/qarn/qarn-player.INI"));
        QCOMPARE(settingsFilePath("/x.d/qarn.exe"), QStringLiteral("/x.d/qarn.INI"));

        const QString programDir = dir_.filePath("prog");
        QVERIFY(QDir().mkpath(programDir + "/thems/blue"));
        writeBytes(programDir + "/thems/blue/play.bmp", "BM");
        const QString fallback = programDir + "/thems/default/";
        QCOMPARE(defaultThemeFolder(programDir + "/"), fallback);
        QCOMPARE(themeFolderFrom(programDir + "/thems/blue/", programDir),
                 programDir + "/thems/blue/");
        QCOMPARE(themeFolderFrom(programDir + "/thems/blue", programDir), fallback);
        QCOMPARE(themeFolderFrom(programDir + "/thems/none/", programDir), fallback);
        QCOMPARE(themeFolderFrom(QString(), programDir), fallback);
    }

    // What could not be read is never replaced by the few keys the player writes.
    void unreadableFileIsNeverSavedOver() {
        const QString path = dir_.filePath("pipe.INI");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        ProfileFile ini(path);
        QCOMPARE(ini.readInteger(u"Form", u"Top", 10), 10);
        ini.writeInteger(u"Form", u"Top", 5);
        QVERIFY_THROWS_EXCEPTION(FileError, ini.save());
        QVERIFY(QFileInfo(path).isFile() == false);
    }
};

QTEST_GUILESS_MAIN(ProfileFileTest)
#include "ProfileFileTest.moc"
