// Handlers whose behaviour is not built yet. They are connected so the controls and menu are
// complete; each moves to its subsystem's file when its behaviour is built.
#include "mainwindow/FormOfQarn.h"

void TFormOfQarn::CdEjectClick() {}
void TFormOfQarn::TracksClick(qarn::UpDownArrows::Button) {}
void TFormOfQarn::TrackBar1Change() {}
void TFormOfQarn::TrackBar2Change() {}
void TFormOfQarn::TrackBar3Change() {}
void TFormOfQarn::Image1MouseMove() {}
void TFormOfQarn::VolumeTMouseMove() {}
void TFormOfQarn::RepeatTClick() {}
void TFormOfQarn::RepeatFClick() {}
void TFormOfQarn::RepeatClick() {}
void TFormOfQarn::Minimize1Click() {}
void TFormOfQarn::Button1Click() {}
void TFormOfQarn::Timer1Timer() {}
void TFormOfQarn::ApplicationEvents1Activate() {
    AppActive = true;
}
void TFormOfQarn::ApplicationEvents1Deactivate() {
    AppActive = false;
}
void TFormOfQarn::ApplicationEvents1Minimize() {}
void TFormOfQarn::ApplicationEvents1Restore() {}
void TFormOfQarn::Nexttrack1Click() {}
void TFormOfQarn::Lasttrack1Click() {}
void TFormOfQarn::Randomplay1Click() {}
void TFormOfQarn::None1Click() {}
void TFormOfQarn::Default1Click() {}
void TFormOfQarn::Transparent1Click() {}
void TFormOfQarn::Alwaysontop1Click() {}
void TFormOfQarn::NormalFormClick() {}
void TFormOfQarn::Themes1Click() {}
void TFormOfQarn::Playlist1Click() {}
void TFormOfQarn::Showfilenameostartbutton1Click() {}
void TFormOfQarn::Shownotes1Click() {}
void TFormOfQarn::Showcalc1Click() {}
void TFormOfQarn::Showpicviewer1Click() {}
void TFormOfQarn::Setuntrancparent1Click() {}
