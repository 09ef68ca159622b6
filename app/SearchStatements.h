// The statements of the main window's search and incremental lookup.
//
// Typed text goes into the statements only inside '...' literals with every single quote
// doubled (and NULs dropped), so no text can end the literal. LIKE in the person database is
// case-insensitive for letters, with "%" matching any run of characters.
// Modes are the index of the search mode box: 0 all fields, 1 user identifier, 2 name.
#pragma once

#include <QString>

namespace lumo::app {

enum SearchMode { SearchAllFields = 0, SearchUserId = 1, SearchName = 2 };

inline constexpr const char* kUsersDesignStatement = "select * from users order by userid";

// The keyword is the box's text; it is trimmed here. A blank keyword lists everybody.
QString searchStatement(const QString& keyword, int mode);
// The text is the box's text, not trimmed. Empty for modes other than 1 and 2.
QString lookupStatement(const QString& text, int mode);
// The column the lookup reads and locates by: "UserID", "Name", or "" for other modes.
QString lookupColumn(int mode);

}  // namespace lumo::app
