// The About box.
#include "accessories/AboutQarn.h"

TAboutQarn::TAboutQarn(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName("AboutQarn");
    setWindowTitle(QStringLiteral("About Qarn player"));
    setFixedSize(185, 161);
}
