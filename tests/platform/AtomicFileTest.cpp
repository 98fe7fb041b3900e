// Tests of the atomic file replacement.
#include "platform/AtomicFile.h"
#include "FileFaults.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>

using namespace qarn;
using qarn::test::readBytes;
using qarn::test::writeBytes;

namespace {

mode_t modeOf(const QString& fileName) {
    struct stat st {};
    ::stat(QFile::encodeName(fileName).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class AtomicFileTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::ensurePrivateRuntimeDir(); }

    void replacesContentKeepingModeAndLinks() {
        QTemporaryDir dir;
        const QString file = dir.filePath("Last.qpl");

        writeFileAtomically(file, "first");
        QCOMPARE(readBytes(file), QByteArray("first"));
        const mode_t mask = ::umask(022);
        ::umask(mask);
        QCOMPARE(modeOf(file), mode_t(0666 & ~mask));

        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0640), 0);
        writeFileAtomically(file, "");
        QCOMPARE(readBytes(file), QByteArray());
        QCOMPARE(modeOf(file), mode_t(0640));

        const QString link = dir.filePath("link.qpl");
        QVERIFY(QFile::link(file, link));
        writeFileAtomically(link, "through the link");
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readBytes(file), QByteArray("through the link"));

        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }

    // Whatever goes wrong, the old file stays as it was and no temporary file is left behind.
    void failedWriteKeepsOldFile_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("disk full") << "full";
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("target is a folder") << "folder";
        QTest::newRow("folder missing") << "missing";
    }
    void failedWriteKeepsOldFile() {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        QString target = dir.filePath("settings.INI");
        const QByteArray old = "[Init]\nRepeat=1\n";
        writeBytes(target, old);
        const QByteArray large(256 * 1024, 'x');

        std::unique_ptr<test::ReadOnlyFolder> readOnly;
        std::unique_ptr<test::FileSizeCap> cap;
        if (fault == "full") {
            cap = std::make_unique<test::FileSizeCap>(4096);
        } else if (fault == "read-only") {
            readOnly = std::make_unique<test::ReadOnlyFolder>(dir.path());
            if (!readOnly->active())
                QSKIP("this file system cannot make a folder read-only");
        } else if (fault == "folder") {
            target = dir.filePath("sub");
            QVERIFY(QDir(dir.path()).mkdir("sub"));
            writeBytes(dir.filePath("sub/keep"), old);
        } else {
            target = dir.filePath("no/such/folder/settings.INI");
        }

        QVERIFY_THROWS_EXCEPTION(FileError, writeFileAtomically(target, large));
        cap.reset();
        readOnly.reset();

        QCOMPARE(readBytes(dir.filePath("settings.INI")), old);
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(left, fault == "folder" ? QStringList({"settings.INI", "sub"})
                                         : QStringList{"settings.INI"});
    }

    // Whatever stands where a playlist, settings or help file is expected is refused at once.
    void readRefusesWhatIsNoRegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe without a writer") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("over the size cap") << "large";
        QTest::newRow("missing") << "missing";
    }
    void readRefusesWhatIsNoRegularFile() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("x.qpl");
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "large")
            writeBytes(path, QByteArray(101, 'x'));
        QVERIFY_THROWS_EXCEPTION(FileError, readRegularFile(path, 100));
    }

    void readTakesARegularFileWhole() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("a"), QByteArray("a\0b", 3));
        QCOMPARE(readRegularFile(dir.filePath("a"), 3), QByteArray("a\0b", 3));
    }

    void errorNamesTheFile() {
        try {
            writeFileAtomically("/proc/no-such-dir/x.qpl", "x");
            QFAIL("no error");
        } catch (const FileError& e) {
            QVERIFY(QString::fromStdString(e.what()).contains("/proc/no-such-dir/x.qpl"));
        }
    }
};

QTEST_GUILESS_MAIN(AtomicFileTest)
#include "AtomicFileTest.moc"
