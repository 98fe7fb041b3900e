// The main window as created: controls, menu, shortcuts and self-sizing.
#include "TestEnv.h"
#include "app/ErrorBox.h"
#include "mainwindow/FormOfQarn.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TestLayout : public QObject {
    Q_OBJECT
    std::unique_ptr<TFormOfQarn> w;

    static QStringList menuLines(QMenu* menu, int depth = 0) {
        QStringList lines;
        for (QAction* a : menu->actions()) {
            QString line = QString(depth, '.') + a->objectName();
            if (!a->isSeparator())
                line += ' ' + a->text();
            if (!a->shortcut().isEmpty())
                line += " [" + a->shortcut().toString() + ']';
            if (a->isCheckable())
                line += " toggle";
            lines << line;
            if (a->menu())
                lines << menuLines(a->menu(), depth + 1);
        }
        return lines;
    }

private slots:
    void initTestCase() {
        qarn::test::ensurePrivateRuntimeDir();
        // Commands reached by shortcuts must not stop the test in a modal box or dialog.
        qarn::setErrorBoxHook([](const QString&) {});
        qarn::setMessageBoxHook([](const QString&) {});
    }
    void init() {
        w = std::make_unique<TFormOfQarn>(nullptr, false);
        w->chooseFilesToOpen = [] { return QStringList(); };
    }
    void cleanup() { w.reset(); }

    void windowProperties() {
        QCOMPARE(w->windowTitle(), QString("Starting.........."));
        QCOMPARE(w->pos(), QPoint(329, 111));
        QCOMPARE(w->palette().color(QPalette::Window), QColor(226, 226, 226));
        QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w->windowIcon().isNull());
        QCOMPARE(w->Timer1->interval(), 100);
        QVERIFY(w->Timer1->isActive());
    }

    void controlsStandWhereStored_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("parentName");
        auto row = [](const char* n, int l, int t, int wd, int h, bool shown, const char* parent) {
            QTest::newRow(n) << QString(n) << QRect(l, t, wd, h) << shown << QString(parent);
        };
        row("Panel2", 0, 0, 201, 129, true, "Panel1");
        row("Play", 9, 0, 23, 23, true, "Panel2");
        row("Pause", 9, 0, 23, 23, false, "Panel2");
        row("Stop", 35, 0, 23, 23, true, "Panel2");
        row("CdEject", 64, 0, 23, 23, true, "Panel2");
        row("Eject", 96, 0, 23, 23, true, "Panel2");
        row("Tracks", 153, 0, 24, 24, true, "Panel2");
        row("Exity", 177, 0, 24, 24, true, "Panel2");
        row("TrackBar1", 0, 27, 129, 29, true, "Panel2");
        row("Image1", 152, 24, 13, 13, true, "Panel2");
        row("RepeatT", 152, 36, 13, 13, true, "Panel2");
        row("RepeatF", 152, 36, 13, 13, true, "Panel2");
        row("VolumeT", 161, 41, 13, 13, true, "Panel2");
        row("Minimity", 129, 41, 13, 13, true, "Panel2");
        row("PlayList", 0, 58, 201, 69, true, "Panel2");
        row("Panel3", 200, 0, 147, 139, false, "Panel1");
        row("DirectoryListBox1", 1, 15, 145, 97, true, "Panel3");
        row("Button1", 35, 113, 75, 25, true, "Panel3");
        row("TrackBar2", 176, 0, 25, 65, false, "Panel1");
        row("TrackBar3", 176, 0, 73, 25, false, "Panel1");
        row("GroupBox1", 0, 128, 201, 153, false, "Panel1");
        row("HelpText", 0, 16, 201, 105, true, "GroupBox1");
        row("Button2", 64, 120, 75, 25, true, "GroupBox1");
    }
    void controlsStandWhereStored() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(bool, shown);
        QFETCH(QString, parentName);
        auto* c = w->findChild<QWidget*>(name);
        QVERIFY(c);
        QCOMPARE(c->geometry(), geometry);
        QCOMPARE(!c->isHidden(), shown);
        QCOMPARE(c->parentWidget()->objectName(), parentName);
    }

    void storedSettingsOfControls() {
        QCOMPARE(w->Label1->pos(), QPoint(136, 26));
        QCOMPARE(w->Label1->palette().color(QPalette::Window), QColor(154, 164, 167));
        QCOMPARE(w->Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(w->TrackBar2->minimum(), 15);
        QCOMPARE(w->TrackBar2->maximum(), 255);
        QCOMPARE(w->TrackBar2->value(), 255);
        QCOMPARE(w->TrackBar3->maximum(), 65535);
        QCOMPARE(w->TrackBar3->value(), 100);
        QCOMPARE(w->TrackBar1->toolTip(), QString());
        QCOMPARE(w->TrackBar1->property("hint").toString(), QString("Position"));
        QCOMPARE(w->Play->toolTip(), QString("Play file"));
        QCOMPARE(w->Tracks->toolTip(), QString("Select track on CD or in playlist"));
        QCOMPARE(w->PlayList->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(w->HelpText->toPlainText(), QString("Memo1"));
        QCOMPARE(w->GroupBox1->title(), QString("Help"));
        QCOMPARE(w->Play->picture().size(), QSize(23, 23));
        QCOMPARE(w->Image1->picture().size(), QSize(13, 13));
    }

    void menuIsCompleteAndInOrder() {
        const QStringList expected = {
            "Open1 &Open [Ctrl+O]",
            "Play1 &Play [Ctrl+P]",
            "Stop1 S&top [Ctrl+T]",
            "Playlists1Item Playlists",
            ".Nexttrack1 &Next track",
            ".Lasttrack1 &Last track",
            ".Randomplay1 Random &play toggle",
            ".N1",
            ".Del1 &Delete selected track [Ctrl+D]",
            ".Saveplaylist1 &Save playlist [Ctrl+S]",
            ".Clearcurretplaylis1 C&lear curret playlist\tCtrl+O",
            ".Saveplaylistonexit1 &Save playlist on exit toggle",
            "settings1Item &Settings",
            ".Repeat &Repeat [Ctrl+R] toggle",
            ".Style1Item S&tyle",
            "..Border1Item &Border",
            "...None1 &None",
            "...Default1 &Default",
            "...Transparent1 &Transparent",
            "..Theme1Item &Form",
            "...Alwaysontop1 Always on &top",
            "...NormalForm &Normal",
            "..Themes1 &Themes",
            "..Playlist1 Play&list [Ctrl+L]",
            "..Hideplaylistifinactive1 Hide playlist if inactive toggle",
            ".Language1Item &Language",
            "..English1 &English toggle",
            "..Russian1 &Русский toggle",
            ".Visual1Item &Visual effects",
            "..Showfilenameostartbutton1 S&how filename on start button toggle",
            "Help1Item &Help",
            ".NQarnplayerhelp1 Qarn player &help [F1]",
            ".About1 &About",
            "Advanced1Item &Advanced",
            ".Shownotes1 Show &notes [F2]",
            ".Showcalc1 Show &calc [F3]",
            ".Showpicviewer1 Show &pic viewer [F4]",
            ".Setuntrancparent1 &Set untransparent [F5]",
            "Minimize1 &Minimize [Ctrl+M]",
            "Exit1 E&xit [Ctrl+X]",
        };
        QCOMPARE(menuLines(w->PopupMenu1), expected);
    }

    void shortcutRunsFirstItemInMenuOrder_data() {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("item");
        QTest::newRow("Ctrl+O opens, never clears") << QKeySequence("Ctrl+O") << "Open1";
        QTest::newRow("Ctrl+P") << QKeySequence("Ctrl+P") << "Play1";
        QTest::newRow("Ctrl+D") << QKeySequence("Ctrl+D") << "Del1";
        QTest::newRow("Ctrl+L in a sub-submenu") << QKeySequence("Ctrl+L") << "Playlist1";
        QTest::newRow("F3") << QKeySequence("F3") << "Showcalc1";
        QTest::newRow("Ctrl+M") << QKeySequence("Ctrl+M") << "Minimize1";
    }
    void shortcutRunsFirstItemInMenuOrder() {
        QFETCH(QKeySequence, key);
        QFETCH(QString, item);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QStringList fired;
        for (QAction* a : w->PopupMenu1->findChildren<QAction*>())
            connect(a, &QAction::triggered, this, [&fired, a] { fired << a->objectName(); });
        for (QAction* a : w->findChildren<QAction*>())
            connect(a, &QAction::triggered, this, [&fired, a] { fired << a->objectName(); });
        fired.clear();
        QTest::keySequence(w.get(), key);
        fired.removeDuplicates();
        QCOMPARE(fired, QStringList{item});
    }

    void creationCaptionsTheWindow() {
        w = std::make_unique<TFormOfQarn>();
        QCoreApplication::processEvents();
        QCOMPARE(w->windowTitle(), QString("Qarn_player"));
        QCOMPARE(w->Label1->text(), QString("no file\n"));
        // The volume bar shows the system volume when a sound server answers.
        QCOMPARE(w->TrackBar3->value(), w->SavedVolumeKnown ? int(w->SavedVolume & 0xFFFF) : 100);
    }

    void languageItemsAreExclusive() {
        QVERIFY(w->English1->isChecked());
        w->Russian1->trigger();
        QVERIFY(w->Russian1->isChecked());
        QVERIFY(!w->English1->isChecked());
        w->English1->trigger();
        QVERIFY(w->English1->isChecked());
        QVERIFY(!w->Russian1->isChecked());
        // The other toggles are independent of each other.
        w->Repeat->trigger();
        w->Randomplay1->trigger();
        QVERIFY(w->Repeat->isChecked() && w->Randomplay1->isChecked());
    }

    void windowSizesItselfToVisibleContents_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QSize>("size");
        QTest::newRow("theme chooser") << "Panel3" << QSize(347, 139);
        QTest::newRow("help panel") << "GroupBox1" << QSize(201, 281);
        QTest::newRow("volume slider") << "TrackBar3" << QSize(249, 129);
        QTest::newRow("transparency slider") << "TrackBar2" << QSize(201, 129);
    }
    void windowSizesItselfToVisibleContents() {
        QFETCH(QString, shown);
        QFETCH(QSize, size);
        w->show();
        QCOMPARE(w->size(), QSize(201, 129));
        auto* c = w->findChild<QWidget*>(shown);
        c->show();
        QCOMPARE(w->size(), size);
        QCOMPARE(w->Panel1->size(), size);
        c->hide();
        QCOMPARE(w->size(), QSize(201, 129));
    }

    void rightClickAnywhereOpensTheMenu() {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        for (QWidget* target : {static_cast<QWidget*>(w->Panel2), w->PlayList->viewport(),
                                static_cast<QWidget*>(w->TrackBar1)}) {
            QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(2, 2),
                                target->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(target, &e);
            QTRY_VERIFY(w->PopupMenu1->isVisible());
            w->PopupMenu1->hide();
        }
    }

    void trackArrowsReportOnlyRealSteps() {
        QList<qarn::UpDownArrows::Button> steps;
        connect(w->Tracks, &qarn::UpDownArrows::clicked, this,
                [&](qarn::UpDownArrows::Button b) { steps << b; });
        w->Tracks->prevButton()->click(); // at 0: no step
        QVERIFY(steps.isEmpty());
        w->Tracks->nextButton()->click();
        w->Tracks->nextButton()->click();
        w->Tracks->prevButton()->click();
        QCOMPARE(steps, (QList<qarn::UpDownArrows::Button>{qarn::UpDownArrows::btNext,
                                                           qarn::UpDownArrows::btNext,
                                                           qarn::UpDownArrows::btPrev}));
        QCOMPARE(w->Tracks->position(), 1);
        w->Tracks->setPosition(100);
        steps.clear();
        w->Tracks->nextButton()->click(); // no wrap at the top
        QVERIFY(steps.isEmpty());
        QCOMPARE(w->Tracks->position(), 100);
    }

    void folderListEntersOnDoubleClickOrEnter() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("alpha/inner");
        QDir(dir.path()).mkpath("beta");
        auto* list = w->DirectoryListBox1;
        list->setDirectory(dir.path());
        const int depth = int(dir.path().split('/', Qt::SkipEmptyParts).size());
        QCOMPARE(list->count(), depth + 1 + 2);
        QCOMPARE(list->item(depth + 1)->text().trimmed(), QString("alpha"));

        // A single click highlights only.
        list->setCurrentRow(depth + 1);
        QCOMPARE(list->directory(), dir.path());
        QCOMPARE(list->highlightedDirectory(), dir.path() + "/alpha");

        QTest::keyClick(list, Qt::Key_Return);
        QTRY_COMPARE(list->directory(), dir.path() + "/alpha");
        QCOMPARE(list->item(list->count() - 1)->text().trimmed(), QString("inner"));

        // Double click on an ancestor line goes back up.
        QListWidgetItem* parentLine = list->item(depth);
        emit list->itemDoubleClicked(parentLine);
        QTRY_COMPARE(list->directory(), dir.path());
    }
};

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
