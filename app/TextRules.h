// Text rules shared by Kestrel's logic: trimming as the forms expect it, and making a typed
// text safe inside an SQL string literal.
#pragma once

#include <QString>

namespace lumo::app {

// Removes leading and trailing blanks and control characters (every character up to U+0020),
// the trimming that the password, search and lookup rules mean by "without blanks".
QString trimBlanks(const QString& text);

// Doubles every single quote, so that the text stays inside a '...' literal whatever it holds.
// Characters that no literal may hold (NUL) are dropped.
QString doubleQuotes(const QString& text);

}  // namespace lumo::app

namespace lumo::app {

// A file-dialog filter of the form "Description|*.a;*.b|Other|*.c" in the form a Qt file
// dialog takes ("Description (*.a *.b);;Other (*.c)"). Descriptions that already show their
// patterns keep them as they are.
QString qtFileFilter(const QString& pipeFilter);

}  // namespace lumo::app
