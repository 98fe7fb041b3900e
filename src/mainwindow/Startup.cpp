// Creation and closing of the main window, and the commands forwarded by a second copy.
#include "mainwindow/FormOfQarn.h"

#include "app/Instance.h"

#include <QApplication>
#include <QLabel>

void TFormOfQarn::FormCreate() {
    setWindowTitle(QString::fromLatin1(qarn::kWindowTitle));
    // From now on a second copy finds us.
    if (!qarn::commandSocketPath().isEmpty())
        listenForCommands(qarn::commandSocketPath());
    Label1->setText(QStringLiteral("no file\n"));
    Label1->adjustSize();
}

void TFormOfQarn::FormClose() {}

void TFormOfQarn::OnWM_COPYDATA(const QString& text) {
    Q_UNUSED(text);
    // Bring the player to the front; a hidden or minimised window stays as it is.
    if (isVisible() && !isMinimized() && isEnabled()) {
        raise();
        activateWindow();
    }
}
