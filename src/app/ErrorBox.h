// The standard error box and the guard that turns an escaped failure into it.
#pragma once

#include <QString>

#include <exception>
#include <utility>

namespace qarn {

// The error's own text, with a full stop added when it ends in a letter or digit.
QString standardErrorText(const QString& message);

// A critical box with the application's title as caption and an OK button.
void showStandardError(const QString& message);

// A plain box with the application's title as caption and an OK button: the fixed messages.
void showMessage(const QString& text);

// Tests replace the boxes with recorders; nullptr restores them.
using ErrorBoxHook = void (*)(const QString& text);
void setErrorBoxHook(ErrorBoxHook hook);
void setMessageBoxHook(ErrorBoxHook hook);

// Runs a handler; a failure that escapes it is shown in the standard error box and the
// program goes on.
template <class F> void guarded(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (const std::exception& e) {
        showStandardError(QString::fromUtf8(e.what()));
    } catch (...) {
        showStandardError(QString());
    }
}

} // namespace qarn
