// The help panel of the main window: shown from the menu (F1), hidden by its own button.
#include "mainwindow/FormOfQarn.h"

#include <QGroupBox>

// The window follows the panel's visibility through its automatic sizing; its text comes from
// LangCh, so opening and closing keep whatever the user typed into it.
void TFormOfQarn::NQarnplayerhelp1Click() {
    GroupBox1->show();
}

void TFormOfQarn::Button2Click() {
    GroupBox1->hide();
}
