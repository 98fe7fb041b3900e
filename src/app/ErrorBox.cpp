// The standard error box.
#include "app/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace qarn {

namespace {
ErrorBoxHook g_hook = nullptr;
ErrorBoxHook g_messageHook = nullptr;
} // namespace

QString standardErrorText(const QString& message) {
    if (!message.isEmpty() && message.back().isLetterOrNumber())
        return message + '.';
    return message;
}

void showStandardError(const QString& message) {
    const QString text = standardErrorText(message);
    if (g_hook) {
        g_hook(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void showMessage(const QString& text) {
    if (g_messageHook) {
        g_messageHook(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void setErrorBoxHook(ErrorBoxHook hook) {
    g_hook = hook;
}
void setMessageBoxHook(ErrorBoxHook hook) {
    g_messageHook = hook;
}

} // namespace qarn
