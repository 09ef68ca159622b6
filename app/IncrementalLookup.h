// IncrementalLookup: the completion rule of the main window's keyword box in modes 1 (user
// identifier) and 2 (name).
//
// For the box's text t the lookup statement is run (getQry); found is the first returned
// row's user identifier or name. The lookup applies when found starts with t (quotes doubled,
// letter case significant) and the last key was not Backspace, or when found equals t
// without blanks. It completes the box only when the box is shorter than found: the box then
// shows found with the completed part selected, and the browsed set moves to found. An empty
// box never completes.
// Database errors propagate (DatabaseError). GUI thread only.
#pragma once

#include <QString>

namespace lumo::app {

class UserStore;

inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyCtrlB = 2;

struct LookupCompletion {
    bool complete = false;
    QString text;  // the box's new text (found)
    int selectionStart = 0;
    int selectionLength = 0;
    QString column;  // "UserID" or "Name": locate the browsed set where it equals text
};

class IncrementalLookup {
public:
    static bool applies(const QString& found, const QString& quotedText, int lastKey);
    static LookupCompletion evaluate(UserStore& store, const QString& boxText, int mode,
                                     int lastKey);
};

}  // namespace lumo::app
