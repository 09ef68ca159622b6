// SkinnedMessageBox: the main window's message box, through which every Kestrel message is
// shown: errors, information, and Yes/No confirmations, in the program's skin.
//
//     SkinnedMessageBox::error(this, LANG(31));
//     if (SkinnedMessageBox::confirm(this, LANG(30))) post();
//
// showPlainError() is the toolkit's plain box, for the one message shown before the skin
// exists ("already running"), and showUnhandledError() the box for errors no handler caught.
// Tests install a Responder that records each box and answers it instead of showing it.
// GUI thread only; the boxes are modal.
#pragma once

#include <QString>
#include <functional>

class QDialog;

class QWidget;

namespace lumo::app {

class SkinnedMessageBox {
public:
    enum class Kind { Error, Information, Confirmation, PlainError, UnhandledError };
    // Returns the answer: true for Yes (and for OK).
    using Responder = std::function<bool(Kind kind, const QString& text)>;

    static void error(QWidget* parent, const QString& text);
    static void information(QWidget* parent, const QString& text);
    static bool confirm(QWidget* parent, const QString& text);
    static void showPlainError(const QString& text);
    static void showUnhandledError(QWidget* parent, const QString& text);

    // An empty responder shows the boxes again.
    static void setResponder(Responder responder);

private:
    static bool show(QWidget* parent, Kind kind, const QString& text);
};

// The hourglass (or another busy cursor) for one action; the previous cursor comes back when
// the object goes, also when the action ends with an error.
class WaitCursor {
public:
    explicit WaitCursor(int shape = 3 /* Qt::WaitCursor */);
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Runs a handler's work; an error it raises is shown as an unhandled error and ends the
// action there, as the toolkit's handler for unhandled errors does.
void guarded(QWidget* parent, const std::function<void()>& action);

// Closes a dialog with reject once the event being handled has ended (safe from its showEvent).
void rejectSoon(QDialog* dialog);

// guarded(), and when the action raises an error (shown), rejectSoon(): a dialog whose
// preparation on showing failed offers nothing to act on.
void guardedOrRejectSoon(QDialog* dialog, const std::function<void()>& action);

}  // namespace lumo::app
