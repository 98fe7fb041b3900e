// The main window: its controls, its menu and the program-wide state it owns.
#pragma once

#include "mainwindow/Controls.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QListView;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSystemTrayIcon;
class QTimer;
class QToolButton;
class MediaDevice;

namespace qarn {
class CommandChannelServer;
class PlaylistModel;
class SystemVolume;
} // namespace qarn

class TFormOfQarn : public QWidget {
    Q_OBJECT
public:
    // Without runFormCreate the window stays as designed (tests of the stored layout).
    explicit TFormOfQarn(QWidget* parent = nullptr, bool runFormCreate = true);
    ~TFormOfQarn() override;

    // ---- Controls, under their stored names --------------------------------------------
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    qarn::PictureBox* Play = nullptr;
    qarn::PictureBox* Pause = nullptr;
    qarn::PictureBox* Stop = nullptr;
    qarn::PictureBox* CdEject = nullptr;
    qarn::PictureBox* Eject = nullptr;
    qarn::UpDownArrows* Tracks = nullptr;
    QToolButton* Exity = nullptr;
    QSlider* TrackBar1 = nullptr;
    QLabel* Label1 = nullptr;
    qarn::PictureBox* Image1 = nullptr;
    qarn::PictureBox* RepeatT = nullptr;
    qarn::PictureBox* RepeatF = nullptr;
    qarn::PictureBox* VolumeT = nullptr;
    qarn::PictureBox* Minimity = nullptr;
    QListView* PlayList = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label2 = nullptr;
    qarn::DirectoryListBox* DirectoryListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QSlider* TrackBar2 = nullptr;
    QSlider* TrackBar3 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPlainTextEdit* HelpText = nullptr;
    QPushButton* Button2 = nullptr;
    MediaDevice* MediaPlayer1 = nullptr;

    // ---- Non-visual components ---------------------------------------------------------
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr;
    // Created on first use: start-up stays lean.
    QFileDialog* OpenD();
    QFileDialog* SaveDialog1();
    // What the dialogs ask the user; tests put their own answers here.
    std::function<QStringList()> chooseFilesToOpen;
    std::function<QString()> chooseFileToSave;

    // ---- Context menu ------------------------------------------------------------------
    QAction* Open1 = nullptr;
    QAction* Play1 = nullptr;
    QAction* Stop1 = nullptr;
    QMenu* Playlists1 = nullptr;
    QAction* Nexttrack1 = nullptr;
    QAction* Lasttrack1 = nullptr;
    QAction* Randomplay1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Del1 = nullptr;
    QAction* Saveplaylist1 = nullptr;
    QAction* Clearcurretplaylis1 = nullptr;
    QAction* Saveplaylistonexit1 = nullptr;
    QMenu* settings1 = nullptr;
    QAction* Repeat = nullptr;
    QMenu* Style1 = nullptr;
    QMenu* Border1 = nullptr;
    QAction* None1 = nullptr;
    QAction* Default1 = nullptr;
    QAction* Transparent1 = nullptr;
    QMenu* Theme1 = nullptr;
    QAction* Alwaysontop1 = nullptr;
    QAction* NormalForm = nullptr;
    QAction* Themes1 = nullptr;
    QAction* Playlist1 = nullptr;
    QAction* Hideplaylistifinactive1 = nullptr;
    QMenu* Language1 = nullptr;
    QAction* English1 = nullptr;
    QAction* Russian1 = nullptr;
    QMenu* Visual1 = nullptr;
    QAction* Showfilenameostartbutton1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* NQarnplayerhelp1 = nullptr;
    QAction* About1 = nullptr;
    QMenu* Advanced1 = nullptr;
    QAction* Shownotes1 = nullptr;
    QAction* Showcalc1 = nullptr;
    QAction* Showpicviewer1 = nullptr;
    QAction* Setuntrancparent1 = nullptr;
    QAction* Minimize1 = nullptr;
    QAction* Exit1 = nullptr;

    // Sets a menu item's caption and keeps the shortcut text shown beside it.
    static void setMenuCaption(QAction* item, const QString& caption);

    // ---- Program-wide state ------------------------------------------------------------
    // The playlist: full paths, and the names PlayList shows, held together.
    qarn::PlaylistModel* Playlist = nullptr;
    const QStringList& PathList() const;
    // The caret item of PlayList, independent of its selection; -1 when there is none.
    int CurrentIndex() const;
    void setCurrentIndex(int index);

    void* StartButton = nullptr; // no taskbar Start button on this platform
    std::uint32_t SavedVolume = 0;
    // False when no sound server answered at start: then nothing is written back at close.
    bool SavedVolumeKnown = false;
    qarn::SystemVolume* systemVolume();
    QString ThemePath;
    bool IsPlaying = false;
    bool IsEnglish = true;
    bool IsMinimized = false;
    bool CdDoorOpen = false;
    int CdTrack = 1;
    int TransparencyBarIdle = 0;
    int VolumeBarIdle = 0;

    // ---- Named operations --------------------------------------------------------------
    bool GetLanguage() const { return IsEnglish; }
    void SetLanguage(bool english) { IsEnglish = english; }
    void LangCh();
    void ThemeCreator(const QString& theme);
    void Start();
    // The playing state and its two signs (the Pause picture, the Play1 caption) set together.
    void markPlaying();
    void markNotPlaying();
    // TrackBar1 spans the media length.
    void setPositionRange(qint64 length);
    // The text of a forwarded command line, already checked for the marker.
    void OnWM_COPYDATA(const QString& text);

    // ---- Handlers ----------------------------------------------------------------------
    void FormCreate();
    // The last step of creation: fill the playlist from the command-line argument, the last
    // file or "Last.qpl", and maybe play. Runs once the window is up.
    void loadStartupMedia(const QString& argument);
    // SavedVolume and the volume bar from the system volume, when a sound server answers.
    void readSystemVolume();
    void FormClose();
    void PlayClick();
    void StopClick();
    void Stop1Click();
    void CdEjectClick();
    void EjectClick();
    void TracksClick(qarn::UpDownArrows::Button button);
    void ExityClick();
    void Exit1Click();
    void TrackBar1Change();
    void TrackBar2Change();
    void TrackBar3Change();
    void Panel2MouseDown(QWidget* sender, QMouseEvent* event);
    void Image1MouseMove();
    void VolumeTMouseMove();
    void RepeatTClick();
    void RepeatFClick();
    void RepeatClick();
    void Minimize1Click();
    void PlayListDblClick();
    void Button1Click();
    void Button2Click();
    void Timer1Timer();
    void ApplicationEvents1Activate();
    void ApplicationEvents1Deactivate();
    void ApplicationEvents1Minimize();
    void ApplicationEvents1Restore();
    void Nexttrack1Click();
    void Lasttrack1Click();
    void Randomplay1Click();
    void Del1Click();
    void Saveplaylist1Click();
    void Clearcurretplaylis1Click();
    void Saveplaylistonexit1Click();
    void None1Click();
    void Default1Click();
    void Transparent1Click();
    void Alwaysontop1Click();
    void NormalFormClick();
    void Themes1Click();
    void Playlist1Click();
    void Hideplaylistifinactive1Click();
    void English1Click();
    void Russian1Click();
    void Showfilenameostartbutton1Click();
    void NQarnplayerhelp1Click();
    void About1Click();
    void Shownotes1Click();
    void Showcalc1Click();
    void Showpicviewer1Click();
    void Setuntrancparent1Click();

    // The window's inner area follows the visible controls of Panel1.
    void autoSizeToContents();
    // Starts listening for forwarded command lines (the window then carries its title).
    bool listenForCommands(const QString& socketPath);

    // ---- Language and help
    // Whether the application is the active (foreground) one; it counts as active from its start.
    bool AppActive = true;

protected:
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void createControls();
    void createMenu();
    void createComponents();
    void assignShortcuts();
    void bindHandlers();

    void readSettings();
    void writeSettings();

    std::unique_ptr<qarn::SystemVolume> m_systemVolume;
    QPointer<QFileDialog> m_openDialog;
    QPointer<QFileDialog> m_saveDialog;
    qarn::CommandChannelServer* m_channel = nullptr;
    QPoint m_dragOffset;
    QWidget* m_dragSource = nullptr;
    bool m_closing = false;
};
