// Reading the settings at start, writing them at close, and the two options kept only there.
#include "mainwindow/FormOfQarn.h"

#include "app/ProgramDir.h"
#include "appearance/ProfileFile.h"
#include "playback/MediaDevice.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistModel.h"

#include <QAction>
#include <QSlider>

void TFormOfQarn::ThemeCreator(const QString& theme) {
    if (theme.isEmpty()) {
        try {
            readSettings();
        } catch (...) {
            // What was applied stays; the theme is still applied below.
        }
    }
    // The theme phase comes with themes.
}

// Each value is applied as soon as it is read, in this order.
void TFormOfQarn::readSettings() {
    const qarn::ProfileFile ini(qarn::settingsFilePath(qarn::programFilePath()));
    const auto s = qarn::PlayerSettings::read(ini, qarn::programDir());
    ThemePath = qarn::themeFolderFrom(s.theme, qarn::programDir());
    move(s.left, s.top);
    TrackBar2->setValue(s.transparent);
    Repeat->setChecked(s.repeat);
    Randomplay1->setChecked(s.random);
    Saveplaylistonexit1->setChecked(s.savePlayList);
    RepeatF->setVisible(!s.repeat);
    RepeatT->setVisible(s.repeat);
    Hideplaylistifinactive1->setChecked(s.hidePl);
    SetLanguage(s.engLang);
    (s.engLang ? English1 : Russian1)->setChecked(true);
    LangCh();
}

// Stops at the first failure: what was saved before stays, the rest is not written.
void TFormOfQarn::writeSettings() {
    qarn::ProfileFile ini(qarn::settingsFilePath(qarn::programFilePath()));
    qarn::PlayerSettings s;
    s.top = pos().y();
    s.left = pos().x();
    s.transparent = TrackBar2->value();
    s.repeat = Repeat->isChecked();
    s.random = Randomplay1->isChecked();
    s.savePlayList = Saveplaylistonexit1->isChecked();
    s.writeWindowAndOptions(ini);
    ini.save();
    if (Saveplaylistonexit1->isChecked())
        qarn::writeQpl(qarn::programFile("Last.qpl"), PathList());
    s.lastFile = MediaPlayer1->FileName();
    // A name with a line break cannot be stored; losing it beats losing the settings after it.
    if (s.lastFile.contains(QChar('\n')) || s.lastFile.contains(QChar('\r')) ||
        s.lastFile.contains(QChar(0)))
        s.lastFile.clear();
    s.theme = ThemePath;
    s.hidePl = Hideplaylistifinactive1->isChecked();
    s.engLang = GetLanguage();
    s.writeRemaining(ini);
    ini.save();
}

// These two only flip their tick; the tick reaches the settings file at close.
void TFormOfQarn::Saveplaylistonexit1Click() {}
void TFormOfQarn::Hideplaylistifinactive1Click() {}
