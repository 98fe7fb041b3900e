// Play/pause, stop and stop-in-place on the main window, with a real file on the device.
#include "MediaFixtures.h"
#include "TestEnv.h"
#include "app/ErrorBox.h"
#include "mainwindow/FormOfQarn.h"
#include "playback/MediaDevice.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QtTest>

class TestPlayControls : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_wav;
    std::unique_ptr<TFormOfQarn> w;

    void openWav() {
        w->MediaPlayer1->setDeviceType(dtAutoSelect);
        w->MediaPlayer1->setFileName(m_wav);
        w->MediaPlayer1->Open();
    }
    void checkState(bool playing, const QString& caption) {
        QCOMPARE(w->IsPlaying, playing);
        QCOMPARE(!w->Pause->isHidden(), playing);
        QCOMPARE(w->Play1->text(), caption);
    }

private slots:
    void initTestCase() {
        qarn::test::ensurePrivateRuntimeDir();
        MediaDevice::setNullOutputs(true);
        qarn::test::recordBoxes();
        m_wav = qarn::test::writeWav(m_dir.filePath("tone.wav"), 3000);
    }
    void init() {
        qarn::test::shownBoxes().clear();
        // Creation would read settings and open a last file; these tests set up the device.
        w = std::make_unique<TFormOfQarn>(nullptr, false);
    }
    void cleanup() { w.reset(); }

    void playPauseResumeKeepsThePosition() {
        openWav();
        w->PlayClick();
        checkState(true, "&Pause");
        QCOMPARE(w->MediaPlayer1->mode(), MediaDevice::Mode::Playing);
        QTRY_VERIFY(w->MediaPlayer1->Position() > 200);
        w->PlayClick();
        checkState(false, "&Play");
        QCOMPARE(w->MediaPlayer1->mode(), MediaDevice::Mode::Paused);
        const qint64 paused = w->MediaPlayer1->Position();
        QVERIFY(paused > 200);
        QTest::qWait(300);
        QCOMPARE(w->MediaPlayer1->Position(), paused);
        w->PlayClick();
        checkState(true, "&Pause");
        QVERIFY(qAbs(w->MediaPlayer1->Position() - paused) < 150);
        QVERIFY(qarn::test::shownBoxes().isEmpty());
    }

    void stopRewindsAndStopInPlaceDoesNot() {
        openWav();
        w->PlayClick();
        QTRY_VERIFY(w->MediaPlayer1->Position() > 200);
        w->Stop1Click();
        checkState(false, "&Play");
        const qint64 kept = w->MediaPlayer1->Position();
        QVERIFY(kept > 200);
        w->PlayClick();
        QVERIFY(w->MediaPlayer1->Position() >= kept - 50);
        w->StopClick();
        checkState(false, "&Play");
        QCOMPARE(w->MediaPlayer1->Position(), 0);
        QCOMPARE(w->MediaPlayer1->mode(), MediaDevice::Mode::Stopped);
    }

    void refusalsAndMessages_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no file") << "" << true << "No file or file is bad"
                                 << "&Play";
        QTest::newRow("no file, Russian") << "" << false << "Нет файла или файл поврежден"
                                          << "&Play";
        QTest::newRow("nothing open") << "/nowhere/x.mp3" << true << "Error!Cann't play file"
                                      << "&Play";
        QTest::newRow("nothing open, Russian")
            << "/nowhere/x.mp3" << false << "Ошибка!Не могу проиграть файл"
            << "&Играть";
    }
    void refusalsAndMessages() {
        QFETCH(QString, fileName);
        QFETCH(bool, english);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        w->SetLanguage(english);
        w->MediaPlayer1->setFileName(fileName);
        w->PlayClick();
        QCOMPARE(qarn::test::shownBoxes(), QStringList{message});
        QCOMPARE(w->IsPlaying, false);
        QVERIFY(w->Pause->isHidden());
        // With no file nothing at all changes, so the stored caption stays.
        QCOMPARE(w->Play1->text(), caption);
    }

    void stopWithNothingOpenReachesTheErrorBox() {
        w->markPlaying();
        emit w->Stop->clicked();
        checkState(false, "&Play");
        QCOMPARE(qarn::test::shownBoxes(), QStringList{"No MCI device open."});
        qarn::test::shownBoxes().clear();
        w->markPlaying();
        w->Stop1->trigger();
        // Stop in place is refused before anything changes.
        checkState(true, "&Pause");
        QCOMPARE(qarn::test::shownBoxes(), QStringList{"No MCI device open."});
    }

    void russianCaptionsFollowTheState() {
        openWav();
        w->SetLanguage(false);
        w->PlayClick();
        checkState(true, "&Пауза");
        w->PlayClick();
        checkState(false, "&Играть");
    }

    void focusLeavesThePositionBar() {
        openWav();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->TrackBar1->setFocus();
        QVERIFY(w->TrackBar1->hasFocus());
        w->PlayClick();
        QVERIFY(w->Exity->hasFocus());
    }

    void everyPlaySourceToggles() {
        openWav();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keySequence(w.get(), QKeySequence("Ctrl+P"));
        checkState(true, "&Pause");
        QTest::keySequence(w.get(), QKeySequence("Ctrl+P"));
        checkState(false, "&Play");
        emit w->Play->clicked();
        checkState(true, "&Pause");
        emit w->Pause->clicked();
        checkState(false, "&Play");
        w->hide();
        emit w->TrayIcon->activated(QSystemTrayIcon::Trigger);
        checkState(true, "&Pause");
        QTest::keySequence(w.get(), QKeySequence("Ctrl+T"));
    }

    void startOpensPlaysAndMarks() {
        w->MediaPlayer1->setDeviceType(dtAutoSelect);
        w->MediaPlayer1->setFileName(m_wav);
        w->Start();
        checkState(true, "&Pause");
        QCOMPARE(w->TrackBar1->maximum(), int(w->MediaPlayer1->Length()));
        QCOMPARE(w->Label1->toolTip(), QString("tone.wav"));
        w->MediaPlayer1->setFileName(m_dir.filePath("missing.wav"));
        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, w->Start());
    }
};

QTEST_MAIN(TestPlayControls)
#include "tst_playcontrols.moc"
