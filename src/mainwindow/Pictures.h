// The pictures built into the main window, drawn in code.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace qarn {

enum class Picture {
    Play, // 23 x 23 buttons
    Pause,
    Stop,
    CdEject,
    Eject,
    Image1,   // 13 x 13 icons: transparency
    RepeatT,  // repeat on
    RepeatF,  // repeat off
    VolumeT,  // volume
    Minimity, // minimise
    Exity,    // the exit button's glyph
};

QPixmap builtinPicture(Picture which);
QIcon programIcon();

} // namespace qarn
