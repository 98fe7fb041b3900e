// The notes window.
#include "accessories/Notes.h"

TForm3::TForm3(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("Form3");
    setWindowTitle(QStringLiteral("Notes"));
    setGeometry(313, 111, 825, 602);
}
