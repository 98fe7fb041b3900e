// Tests of the path parts, the readability test and the playlist model.
#include "playlist/PlaylistModel.h"
#include "TestEnv.h"
#include "playlist/PathParts.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <sys/stat.h>

using namespace qarn;

namespace {

QStringList numberedPaths(int n) {
    QStringList paths;
    for (int i = 0; i < n; ++i)
        paths << QStringLiteral("/music/dir%1/track%1.mp3").arg(i);
    return paths;
}

QItemSelection rowsSelection(const PlaylistModel& model, const QList<int>& rows) {
    QItemSelection selection;
    for (int row : rows)
        selection.select(model.index(row, 0), model.index(row, 0));
    return selection;
}

// Fails unless every row shows the file name of the path at the same index.
void verifyAligned(const PlaylistModel& model) {
    QCOMPARE(model.rowCount(), model.PathList().size());
    for (int i = 0; i < model.rowCount(); ++i) {
        QCOMPARE(model.data(model.index(i, 0), PlaylistModel::kPathRole).toString(),
                 model.PathList().at(i));
        QCOMPARE(model.data(model.index(i, 0)).toString(), fileNameOf(model.PathList().at(i)));
    }
}

} // namespace

class PlaylistModelTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { test::ensurePrivateRuntimeDir(); }

    void pathParts_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("folder");
        QTest::newRow("full path") << "/music/a.mp3"
                                   << "a.mp3"
                                   << ".mp3"
                                   << "/music/";
        QTest::newRow("no folder") << "a.mp3"
                                   << "a.mp3"
                                   << ".mp3"
                                   << "";
        QTest::newRow("last dot counts") << "/x/a.tar.gz"
                                         << "a.tar.gz"
                                         << ".gz"
                                         << "/x/";
        QTest::newRow("dot only in folder") << "/x.d/track"
                                            << "track"
                                            << ""
                                            << "/x.d/";
        QTest::newRow("capitals kept") << "/x/List.QPL"
                                       << "List.QPL"
                                       << ".QPL"
                                       << "/x/";
        QTest::newRow("hidden file") << "/x/.qpl"
                                     << ".qpl"
                                     << ".qpl"
                                     << "/x/";
        QTest::newRow("ends in slash") << "/x/y/"
                                       << ""
                                       << ""
                                       << "/x/y/";
        QTest::newRow("colon is no separator") << "C:a.mp3"
                                               << "C:a.mp3"
                                               << ".mp3"
                                               << "";
        QTest::newRow("backslash is no separator") << "a\\b.mp3"
                                                   << "a\\b.mp3"
                                                   << ".mp3"
                                                   << "";
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "";
    }
    void pathParts() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QString, folder);
        QCOMPARE(fileNameOf(path), name);
        QCOMPARE(extensionOf(path), extension);
        QCOMPARE(folderOf(path), folder);
    }

    void readableFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath("a.mp3");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString fifo = dir.filePath("pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

        QVERIFY(IsReadableFile(file));
        QVERIFY(!IsReadableFile(dir.filePath("missing.mp3")));
        QVERIFY(!IsReadableFile(QString()));
        QVERIFY(!IsReadableFile(dir.path()));
        QVERIFY(IsReadableFile(fifo)); // and returns although nobody writes to it
    }

    void deleteSelectedKeepsPathsAndNamesAligned_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("remaining");
        const QStringList five = {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3", "/m/e.mp3"};
        QTest::newRow("1 and 3 of five")
            << five << QList<int>{1, 3} << QStringList{"/m/a.mp3", "/m/c.mp3", "/m/e.mp3"};
        QTest::newRow("nothing selected") << five << QList<int>{} << five;
        QTest::newRow("all") << five << QList<int>{0, 1, 2, 3, 4} << QStringList{};
        QTest::newRow("first and last")
            << five << QList<int>{4, 0} << QStringList{"/m/b.mp3", "/m/c.mp3", "/m/d.mp3"};
        QTest::newRow("same file twice") << QStringList{"/m/a.mp3", "/n/a.mp3", "/m/a.mp3"}
                                         << QList<int>{0} << QStringList{"/n/a.mp3", "/m/a.mp3"};
        QStringList evens;
        QList<int> odds;
        const QStringList many = numberedPaths(200);
        for (int i = 0; i < 200; ++i) {
            if (i % 2)
                odds.append(i);
            else
                evens.append(many.at(i));
        }
        QTest::newRow("100 scattered of 200") << many << odds << evens;
    }
    void deleteSelectedKeepsPathsAndNamesAligned() {
        QFETCH(QStringList, paths);
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, remaining);
        PlaylistModel model;
        for (const QString& path : paths)
            model.AppendPath(path);
        QCOMPARE(model.DeleteSelectedEntries(rowsSelection(model, selected)),
                 paths.size() - remaining.size());
        QCOMPARE(model.PathList(), remaining);
        verifyAligned(model);
    }

    // The caret follows its entry, or moves to the next one left when its entry goes.
    void deleteSelectedMovesCaret_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("expected");
        QTest::newRow("caret entry kept, rows above go") << QList<int>{0, 1} << 3 << 1;
        QTest::newRow("caret entry kept, rows below go") << QList<int>{4} << 2 << 2;
        QTest::newRow("caret entry goes") << QList<int>{2, 3} << 2 << 2;
        QTest::newRow("caret entry and all after go") << QList<int>{3, 4} << 4 << 2;
        QTest::newRow("everything goes") << QList<int>{0, 1, 2, 3, 4} << 1 << -1;
        QTest::newRow("no caret") << QList<int>{1} << -1 << -1;
    }
    void deleteSelectedMovesCaret() {
        QFETCH(QList<int>, selected);
        QFETCH(int, caret);
        QFETCH(int, expected);
        PlaylistModel model;
        model.appendBlock(numberedPaths(5));
        model.DeleteSelectedEntries(rowsSelection(model, selected), &caret);
        QCOMPARE(caret, expected);
    }

    // Many scattered rows must not cost one notification each.
    void deleteManyScatteredRowsResetsOnce() {
        PlaylistModel model;
        model.appendBlock(numberedPaths(10000));
        QList<int> rows;
        for (int i = 0; i < 10000; i += 2)
            rows << i;
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QCOMPARE(model.DeleteSelectedEntries(rowsSelection(model, rows)), 5000);
        QCOMPARE(removed.count() + reset.count(), 1);
        QCOMPARE(model.entry(0), QStringLiteral("/music/dir1/track1.mp3"));
        verifyAligned(model);
    }

    void selectionOutsideListIsIgnored() {
        PlaylistModel model;
        model.appendBlock(numberedPaths(3));
        PlaylistModel other;
        other.appendBlock(numberedPaths(3));
        QItemSelection selection;
        selection.select(other.index(0, 0), other.index(2, 0));
        QCOMPARE(model.DeleteSelectedEntries(selection), 0);
        QCOMPARE(model.count(), 3);
    }

    void stepsKeepListsAligned() {
        PlaylistModel model;
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.AppendPath("/m/a.mp3");
        model.appendBlock({"/m/b.mp3", "", "/m/ c .mp3"});
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(inserted.at(1).at(1).toInt(), 1);
        QCOMPARE(inserted.at(1).at(2).toInt(), 3);
        QCOMPARE(model.data(model.index(2, 0)).toString(), QString());
        QCOMPARE(model.data(model.index(3, 0)).toString(), QStringLiteral(" c .mp3"));
        verifyAligned(model);

        model.RemoveEntry(1);
        QCOMPARE(model.PathList(), (QStringList{"/m/a.mp3", "", "/m/ c .mp3"}));
        verifyAligned(model);

        model.replaceAll({"/x/y.wav"});
        QCOMPARE(model.PathList(), QStringList{"/x/y.wav"});
        verifyAligned(model);

        model.ClearPlaylist();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.PathList().isEmpty());
    }

    void indexOutsideListThrows_data() {
        QTest::addColumn<int>("index");
        QTest::newRow("negative") << -1;
        QTest::newRow("one past the end") << 2;
    }
    void indexOutsideListThrows() {
        QFETCH(int, index);
        PlaylistModel model;
        model.appendBlock({"/a", "/b"});
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, model.entry(index));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, model.RemoveEntry(index));
        QCOMPARE(model.PathList(), (QStringList{"/a", "/b"}));
    }
};

QTEST_GUILESS_MAIN(PlaylistModelTest)
#include "PlaylistModelTest.moc"
