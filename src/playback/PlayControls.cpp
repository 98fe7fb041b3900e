// The playing state and the play/pause, stop and stop-in-place commands; Start.
#include "mainwindow/FormOfQarn.h"

#include "app/ErrorBox.h"
#include "language/Bilingual.h"
#include "playback/MediaDevice.h"
#include "playlist/PathParts.h"

#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <limits>

void TFormOfQarn::markPlaying() {
    IsPlaying = true;
    Pause->show();
    setMenuCaption(Play1, qarn::msg::kPauseCaption.pick(GetLanguage()));
}

void TFormOfQarn::markNotPlaying() {
    IsPlaying = false;
    Pause->hide();
    setMenuCaption(Play1, qarn::msg::kPlayCaption.pick(GetLanguage()));
}

void TFormOfQarn::setPositionRange(qint64 length) {
    const int max = int(std::clamp<qint64>(length, 0, std::numeric_limits<int>::max()));
    TrackBar1->setMaximum(max);
    // A tick for every unit of a long file would paint thousands of lines on every update;
    // keep them at least a few pixels apart.
    const int room = qMax(1, TrackBar1->width() / 4);
    TrackBar1->setTickInterval(qMax(1, max / room));
}

void TFormOfQarn::Start() {
    MediaPlayer1->Open();
    MediaPlayer1->Play();
    const QString name = qarn::fileNameOf(MediaPlayer1->FileName());
    Label1->setToolTip(name);
    markPlaying();
    setPositionRange(MediaPlayer1->Length());
    Label1->setToolTip(name);
}

void TFormOfQarn::PlayClick() {
    // Later position updates of the bar must not be taken for the user's seeking.
    if (TrackBar1->hasFocus())
        Exity->setFocus();
    if (MediaPlayer1->FileName().isEmpty()) {
        qarn::showMessage(qarn::msg::kNoFile.pick(GetLanguage()));
        return;
    }
    Label1->setToolTip(qarn::fileNameOf(MediaPlayer1->FileName()));
    try {
        if (IsPlaying) {
            setMenuCaption(Play1, qarn::msg::kPlayCaption.pick(GetLanguage()));
            MediaPlayer1->Pause();
            Pause->hide();
            IsPlaying = false;
        } else {
            setMenuCaption(Play1, qarn::msg::kPauseCaption.pick(GetLanguage()));
            MediaPlayer1->Play();
            Pause->show();
            IsPlaying = true;
        }
    } catch (const EMCIDeviceError&) {
        // Refused only when nothing is open; the stop is refused the same way.
        try {
            MediaPlayer1->Stop();
        } catch (const EMCIDeviceError&) {
        }
        markNotPlaying();
        qarn::showMessage(qarn::msg::kCannotPlay.pick(GetLanguage()));
    }
}

void TFormOfQarn::StopClick() {
    Pause->hide();
    setMenuCaption(Play1, qarn::msg::kPlayCaption.pick(GetLanguage()));
    IsPlaying = false;
    MediaPlayer1->Stop();
    MediaPlayer1->setPosition(0);
}

void TFormOfQarn::Stop1Click() {
    MediaPlayer1->Stop();
    setMenuCaption(Play1, qarn::msg::kPlayCaption.pick(GetLanguage()));
    Pause->hide();
    IsPlaying = false;
}
