// Start-up paths, the close sequence and the playlist commands, run on the real window and device.
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/ErrorBox.h"
#include "app/Instance.h"
#include "app/ProgramDir.h"
#include "appearance/ProfileFile.h"
#include "mainwindow/FormOfQarn.h"
#include "platform/SystemVolume.h"
#include "playback/MediaDevice.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QCloseEvent>
#include <QListView>
#include <QSlider>
#include <QtTest>

#include <sys/stat.h>

class TestStartup : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString a, b, c; // three playable files
    std::unique_ptr<TFormOfQarn> w;

    QString dir() const { return m_dir->path(); }
    QString ini() const { return qarn::settingsFilePath(qarn::programFilePath()); }
    QString qpl(const QString& name, const QStringList& paths) {
        const QString p = dir() + '/' + name;
        qarn::writeQpl(p, paths);
        return p;
    }
    void create(const QString& argument) {
        qarn::setStartupArgument(argument);
        w = std::make_unique<TFormOfQarn>();
        // The playlist is filled once the window is up.
        QCoreApplication::processEvents();
    }
    void closeWindow() {
        QCloseEvent e;
        QCoreApplication::sendEvent(w.get(), &e);
    }

private slots:
    void initTestCase() {
        qarn::test::ensurePrivateRuntimeDir();
        MediaDevice::setNullOutputs(true);
        qarn::test::recordBoxes();
    }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        qarn::setProgramDir(dir());
        a = qarn::test::writeWav(dir() + "/a.wav", 2000);
        b = qarn::test::writeWav(dir() + "/b b.wav", 2000, 660);
        c = qarn::test::writeWav(dir() + "/c.wav", 2000, 880);
        qarn::test::shownBoxes().clear();
    }
    void cleanup() {
        w.reset();
        qarn::setStartupArgument(QString());
    }

    void startupPaths_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("lastQpl"); // "-" in first place: no Last.qpl
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("playing");
        const QByteArray save = "[Init]\nSavePlayList=1\n";
        const QStringList none{"-"};
        QTest::newRow("media file plays")
            << "A" << QByteArray() << none << QStringList{"A"} << true << true;
        QTest::newRow("playlist file plays its first")
            << "Q" << QByteArray() << none << QStringList{"B", "A", "C"} << true << true;
        QTest::newRow("capital .QPL is media")
            << "QU" << QByteArray() << none << QStringList{} << false << false;
        QTest::newRow("missing media file")
            << "/nowhere/x.mp3" << QByteArray() << none << QStringList{} << false << false;
        QTest::newRow("no argument: last file opened") << "" << QByteArray("[Init]\nLastFile=C\n")
                                                       << none << QStringList{"C"} << true << false;
        QTest::newRow("-next is like no argument") << "-next" << QByteArray("[Init]\nLastFile=C\n")
                                                   << none << QStringList{"C"} << true << false;
        QTest::newRow("-play plays the last file") << "-play" << QByteArray("[Init]\nLastFile=C\n")
                                                   << none << QStringList{"C"} << true << true;
        QTest::newRow("missing last file listed, not opened")
            << "" << QByteArray("[Init]\nLastFile=/gone/x.wav\n") << none
            << QStringList{"/gone/x.wav"} << false << false;
        QTest::newRow("empty last file")
            << "" << QByteArray("[Init]\nLastFile=\n") << none << QStringList{""} << false << false;
        QTest::newRow("no settings: the sample tune")
            << "" << QByteArray() << none << QStringList{"SAMPLE"} << false << false;
        QTest::newRow("Last.qpl opened")
            << "" << save << QStringList{"B", "C"} << QStringList{"B", "C"} << true << false;
        QTest::newRow("Last.qpl with -play")
            << "-play" << save << QStringList{"B", "C"} << QStringList{"B", "C"} << true << true;
        QTest::newRow("Last.qpl missing")
            << "-play" << save << none << QStringList{} << false << false;
    }
    void startupPaths() {
        QFETCH(QString, argument);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, lastQpl);
        QFETCH(QStringList, expected);
        QFETCH(bool, open);
        QFETCH(bool, playing);
        auto real = [&](QString s) {
            return s == "A"        ? a
                   : s == "B"      ? b
                   : s == "C"      ? c
                   : s == "SAMPLE" ? qarn::defaultLastFile(dir())
                                   : s;
        };
        QByteArray settingsText = settings;
        settingsText.replace("LastFile=C", "LastFile=" + c.toUtf8());
        if (!settingsText.isEmpty())
            qarn::test::writeBytes(ini(), settingsText);
        if (lastQpl != QStringList{"-"}) {
            QStringList paths;
            for (const QString& p : lastQpl)
                paths << real(p);
            qpl("Last.qpl", paths);
        }
        if (argument == "Q")
            argument = qpl("list.qpl", {b, a, c});
        else if (argument == "QU")
            argument = qpl("list.QPL", {b, a, c});
        else
            argument = real(argument);
        QStringList want;
        for (const QString& p : expected)
            want << real(p);

        create(argument);
        QCOMPARE(w->PathList(), want);
        QCOMPARE(w->Playlist->rowCount(), want.size());
        QCOMPARE(w->MediaPlayer1->isOpen(), open);
        QCOMPARE(w->IsPlaying, playing);
        QCOMPARE(!w->Pause->isHidden(), playing);
        if (open) {
            QCOMPARE(w->CurrentIndex(), 0);
            QCOMPARE(w->MediaPlayer1->FileName(), want.first());
            QCOMPARE(w->TrackBar1->maximum(), int(w->MediaPlayer1->Length()));
        }
        QVERIFY(qarn::test::shownBoxes().isEmpty());
    }

    void relativeArgumentIsKeptAsTheFileItNamed() {
        QDir::setCurrent(dir());
        create("a.wav");
        QCOMPARE(w->PathList(), QStringList{a});
        QVERIFY(w->IsPlaying);
    }

    void settingsAreReadIntoTheWindow() {
        qarn::test::writeBytes(ini(),
                               "[Form]\nTop=$20\nLeft= 0x30\nTransparent=5\n[Init]\nRepeat=1\n"
                               "Random=2\nHidePl=0\nEngLang=0\n[Color]\nTheme=/nowhere/\n");
        create(QString());
        QCOMPARE(w->pos(), QPoint(48, 32));
        QCOMPARE(w->TrackBar2->value(), 15);
        QVERIFY(w->Repeat->isChecked());
        QVERIFY(w->RepeatT->isVisibleTo(w.get()) && w->RepeatF->isHidden());
        QVERIFY(w->Randomplay1->isChecked());
        QVERIFY(!w->Hideplaylistifinactive1->isChecked());
        QVERIFY(!w->GetLanguage());
        QVERIFY(w->Russian1->isChecked());
        QCOMPARE(w->ThemePath, dir() + "/thems/default/");
    }

    void closeWritesSettingsAndLastPlaylist() {
        qarn::test::writeBytes(ini(), "; kept\n[Init]\nSavePlayList=1\n");
        create(a);
        w->Playlist->AppendPath(b);
        w->move(77, 66);
        w->Repeat->setChecked(true);
        closeWindow();
        QVERIFY(qarn::test::shownBoxes().isEmpty());
        const qarn::ProfileFile f(ini());
        QCOMPARE(f.readInteger(u"Form", u"Left", 0), 77);
        QCOMPARE(f.readInteger(u"Form", u"Top", 0), 66);
        QCOMPARE(f.readBool(u"Init", u"Repeat", false), true);
        QCOMPARE(f.readString(u"Init", u"LastFile", "x"), a);
        QCOMPARE(f.readBool(u"Init", u"EngLang", false), true);
        QVERIFY(f.toBytes().startsWith("; kept\n"));
        QCOMPARE(qarn::readQpl(dir() + "/Last.qpl"), (QStringList{a, b}));
    }

    void closeStopsAtTheFirstFailure() {
        qarn::test::writeBytes(ini(), "[Init]\nSavePlayList=1\nLastFile=old\n");
        QDir(dir()).mkdir("Last.qpl"); // cannot be replaced by a file
        create(QString());
        w->Repeat->setChecked(true);
        // The volume found at start comes back even though saving fails (when a sound
        // server runs, as under the test command).
        qarn::SystemVolume volume;
        const bool haveServer = w->SavedVolumeKnown;
        if (haveServer)
            QVERIFY(volume.write(0x20002000));
        closeWindow();
        if (haveServer)
            QCOMPARE(volume.read(), std::optional<quint32>(w->SavedVolume));
        QCOMPARE(qarn::test::shownBoxes(), QStringList{"Error of saving settings"});
        const qarn::ProfileFile f(ini());
        QCOMPARE(f.readBool(u"Init", u"Repeat", false), true);             // before the failure
        QCOMPARE(f.readString(u"Init", u"LastFile", "x"), QString("old")); // after it
        QVERIFY(!f.valueExists(u"Init", u"EngLang"));
    }

    void aFileNameWithALineBreakDoesNotCostTheSettings() {
        const QString odd = qarn::test::writeWav(dir() + "/two\nlines.wav", 500);
        create(odd);
        QVERIFY(w->IsPlaying);
        w->SetLanguage(false);
        closeWindow();
        QVERIFY(qarn::test::shownBoxes().isEmpty());
        const qarn::ProfileFile f(ini());
        QCOMPARE(f.readString(u"Init", u"LastFile", "x"), QString());
        QCOMPARE(f.readBool(u"Init", u"EngLang", true), false);
    }

    void aNamedPipeAsPlaylistArgumentDoesNotHang() {
        const QString pipe = dir() + "/pipe.qpl";
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        create(pipe);
        QVERIFY(w->PathList().isEmpty());
        QVERIFY(!w->IsPlaying);
    }

    void openDialogAppendsAndStartsTheFirstAdded_data() {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<int>("started"); // index into added, -1: nothing
        QTest::addColumn<QString>("message");
        QTest::newRow("three media files, last chosen first")
            << QStringList{"A", "B", "C"} << QStringList{"C", "B", "A"} << 0 << "";
        QTest::newRow("one media file") << QStringList{"B"} << QStringList{"B"} << 0 << "";
        QTest::newRow("a playlist starts at its first entry")
            << QStringList{"Q3"} << QStringList{"A", "B", "C"} << 0 << "";
        QTest::newRow("empty playlist")
            << QStringList{"Q0"} << QStringList{} << -1 << "Error!Cann't play file";
        QTest::newRow("unreadable media file")
            << QStringList{"DIR"} << QStringList{"DIR"} << -1 << "";
        QTest::newRow("wpl in document order")
            << QStringList{"W"} << QStringList{"A", "C"} << 0 << "";
        QTest::newRow("capital .MP3-like name is media")
            << QStringList{"U"} << QStringList{"U"} << -1 << "Error!Cann't play file";
    }
    void openDialogAppendsAndStartsTheFirstAdded() {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, added);
        QFETCH(int, started);
        QFETCH(QString, message);
        QDir(dir()).mkdir("folder.wav");
        const QString upper = qpl("x.QPL", {a});
        qarn::test::writeBytes(dir() + "/list.wpl",
                               "<?wpl version=\"1.0\"?><smil><body><seq>\n<media src=\"a.wav\"/>\n"
                               "<media src=\"" +
                                   c.toUtf8() + "\" tid=\"{1}\"/>\n</seq></body></smil>\n");
        auto real = [&](const QString& s) {
            return s == "A"     ? a
                   : s == "B"   ? b
                   : s == "C"   ? c
                   : s == "DIR" ? dir() + "/folder.wav"
                   : s == "Q3"  ? qpl("three.qpl", {a, b, c})
                   : s == "Q0"  ? qpl("empty.qpl", {})
                   : s == "W"   ? dir() + "/list.wpl"
                                : upper;
        };
        create(QString());
        w->Playlist->ClearPlaylist();
        w->Playlist->AppendPath("/already/there.wav");
        QStringList files;
        for (const QString& s : chosen)
            files << real(s);
        w->chooseFilesToOpen = [files] { return files; };
        w->EjectClick();
        QStringList want{"/already/there.wav"};
        for (const QString& s : added)
            want << real(s);
        QCOMPARE(w->PathList(), want);
        QCOMPARE(qarn::test::shownBoxes(),
                 message.isEmpty() ? QStringList{} : QStringList{message});
        if (started >= 0) {
            QVERIFY(w->IsPlaying);
            QCOMPARE(w->CurrentIndex(), 1 + started);
            QCOMPARE(w->MediaPlayer1->FileName(), want[1 + started]);
        } else {
            QVERIFY(!w->IsPlaying);
        }
    }

    void cancelledDialogChangesNothing() {
        create(QString());
        const QStringList before = w->PathList();
        w->chooseFilesToOpen = [] { return QStringList(); };
        w->EjectClick();
        QCOMPARE(w->PathList(), before);
    }

    void deleteSelectedKeepsBothListsAligned() {
        create(QString());
        w->Playlist->replaceAll({"/0.mp3", "/1.mp3", "/2.mp3", "/3.mp3", "/4.mp3"});
        auto* sel = w->PlayList->selectionModel();
        sel->select(w->Playlist->index(1), QItemSelectionModel::Select);
        sel->select(w->Playlist->index(3), QItemSelectionModel::Select);
        w->Del1Click();
        QCOMPARE(w->PathList(), (QStringList{"/0.mp3", "/2.mp3", "/4.mp3"}));
        QCOMPARE(w->Playlist->data(w->Playlist->index(1)).toString(), QString("2.mp3"));
    }

    void deletingOrClearingKeepsThePlayingFile() {
        create(a);
        QVERIFY(w->IsPlaying);
        w->PlayList->selectionModel()->select(w->Playlist->index(0), QItemSelectionModel::Select);
        w->Del1Click();
        QVERIFY(w->PathList().isEmpty());
        w->Playlist->AppendPath(b);
        w->Clearcurretplaylis1Click();
        QVERIFY(w->PathList().isEmpty());
        QCOMPARE(w->MediaPlayer1->mode(), MediaDevice::Mode::Playing);
        QCOMPARE(w->MediaPlayer1->FileName(), a);
    }

    void doubleClickPlaysOrDropsTheEntry() {
        create(QString());
        w->Playlist->replaceAll({a, dir() + "/deleted.wav", b});
        w->setCurrentIndex(1);
        w->PlayListDblClick();
        QCOMPARE(w->PathList(), (QStringList{a, b}));
        QVERIFY(!w->IsPlaying);
        w->setCurrentIndex(1);
        w->PlayListDblClick();
        QVERIFY(w->IsPlaying);
        QCOMPARE(w->MediaPlayer1->FileName(), b);
        QVERIFY(qarn::test::shownBoxes().isEmpty());
    }

    void savePlaylistWritesExactBytes() {
        create(QString());
        w->Playlist->replaceAll({"/m/a.mp3", "/m/b b.wav"});
        const QString target = dir() + "/saved.qpl";
        w->chooseFileToSave = [target] { return target; };
        w->Saveplaylist1Click();
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("/m/a.mp3\r\n/m/b b.wav\r\n"));

        // A failed write says nothing and only resets the playing state.
        w->markPlaying();
        w->chooseFileToSave = [this] { return dir() + "/no/such/folder/x.qpl"; };
        w->Saveplaylist1Click();
        QVERIFY(!w->IsPlaying);
        QVERIFY(qarn::test::shownBoxes().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
