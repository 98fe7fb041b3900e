// The one-line calculator window.
#include "accessories/Calculator.h"

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("Calc"));
    move(192, 113);
}
