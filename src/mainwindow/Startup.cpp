// Creation and closing of the main window, and the commands forwarded by a second copy.
#include "mainwindow/FormOfQarn.h"

#include "app/ErrorBox.h"
#include "app/Instance.h"
#include "app/ProgramDir.h"
#include "appearance/ProfileFile.h"
#include "language/Bilingual.h"
#include "platform/SystemVolume.h"
#include "playback/MediaDevice.h"
#include "playlist/PathParts.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTime>
#include <QTimer>

#include <cstdlib>

namespace {

bool isSwitch(const QString& a) {
    return a == "-play" || a == "-last" || a == "-next";
}

// A relative path typed in a terminal is kept as the file it named, so the playlist saved at
// close still finds it from another folder.
QString absoluteArgument(const QString& a) {
    return qarn::looksLikeUrl(a) ? a : QFileInfo(a).absoluteFilePath();
}

} // namespace

void TFormOfQarn::FormCreate() {
    // No taskbar Start button on this platform: StartButton stays null.
    std::srand(unsigned(QTime::currentTime().msecsSinceStartOfDay()));
    setWindowTitle(QString::fromLatin1(qarn::kWindowTitle));
    // From now on a second copy finds us.
    if (!qarn::commandSocketPath().isEmpty())
        listenForCommands(qarn::commandSocketPath());
    Label1->setText(QStringLiteral("no file\n"));
    Label1->adjustSize();
    try {
        ThemeCreator(QString());
    } catch (...) {
        // A damaged settings file or theme must not keep the player from starting.
    }
    // Asking the sound server and opening the first file take a while: the window comes first.
    QTimer::singleShot(0, this, [this] {
        readSystemVolume();
        loadStartupMedia(qarn::startupArgument());
    });
}

void TFormOfQarn::readSystemVolume() {
    if (const auto volume = systemVolume()->read()) {
        SavedVolume = *volume;
        SavedVolumeKnown = true;
        TrackBar3->setValue(int(SavedVolume & 0xFFFF));
    }
}

void TFormOfQarn::loadStartupMedia(const QString& argument) {
    try {
        if (!argument.isEmpty() && !isSwitch(argument)) {
            const QString a = absoluteArgument(argument);
            Playlist->ClearPlaylist();
            if (qarn::extensionOf(a) == qarn::kQplExtension) {
                Playlist->replaceAll(qarn::readQpl(a));
                MediaPlayer1->setDeviceType(dtAutoSelect);
                MediaPlayer1->setFileName(Playlist->entry(0));
                MediaPlayer1->Open();
                MediaPlayer1->Play();
                markPlaying();
                setPositionRange(MediaPlayer1->Length());
                Label1->setToolTip(qarn::fileNameOf(MediaPlayer1->FileName()));
                setCurrentIndex(0);
                return;
            }
            MediaPlayer1->setDeviceType(dtAutoSelect);
            MediaPlayer1->setFileName(a);
            MediaPlayer1->Open();
            Playlist->AppendPath(a);
            setCurrentIndex(0);
            Start();
            return;
        }
        if (!Saveplaylistonexit1->isChecked()) {
            const qarn::ProfileFile ini(qarn::settingsFilePath(qarn::programFilePath()));
            const QString last =
                ini.readString(u"Init", u"LastFile", qarn::defaultLastFile(qarn::programDir()));
            Playlist->AppendPath(last);
            if (qarn::IsReadableFile(last)) {
                MediaPlayer1->setDeviceType(dtAutoSelect);
                MediaPlayer1->setFileName(last);
                MediaPlayer1->Open();
                markNotPlaying();
                setPositionRange(MediaPlayer1->Length());
                Label1->setToolTip(qarn::fileNameOf(last));
                TrayIcon->setToolTip(qarn::fileNameOf(last));
                setCurrentIndex(0);
            }
        } else {
            Playlist->replaceAll(qarn::readQpl(qarn::programFile("Last.qpl")));
            MediaPlayer1->setDeviceType(dtAutoSelect);
            MediaPlayer1->setFileName(Playlist->entry(0));
            MediaPlayer1->Open();
            markNotPlaying();
            setPositionRange(MediaPlayer1->Length());
            Label1->setToolTip(qarn::fileNameOf(MediaPlayer1->FileName()));
            TrayIcon->setToolTip(qarn::fileNameOf(MediaPlayer1->FileName()));
            setCurrentIndex(0);
        }
        if (argument == "-play")
            Start();
    } catch (...) {
        // The window opens with whatever was done before the failure.
    }
}

void TFormOfQarn::FormClose() {
    try {
        writeSettings();
    } catch (...) {
        qarn::showMessage(qarn::msg::kCannotSaveSettings.pick(GetLanguage()));
    }
    TrayIcon->hide();
    // Volume changes made in the player last only while it runs. An unchanged volume is left
    // alone: writing it back would flatten levels above 100 % and the other channels.
    if (SavedVolumeKnown && systemVolume()->read() != SavedVolume)
        systemVolume()->write(SavedVolume);
}

void TFormOfQarn::OnWM_COPYDATA(const QString& text) {
    Q_UNUSED(text);
    // Bring the player to the front; a hidden or minimised window stays as it is.
    if (isVisible() && !isMinimized() && isEnabled()) {
        raise();
        activateWindow();
    }
}
