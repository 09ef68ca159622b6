#include "app/IncrementalLookup.h"

#include "app/SearchStatements.h"
#include "app/TextRules.h"
#include "app/UserStore.h"

namespace lumo::app {

bool IncrementalLookup::applies(const QString& found, const QString& quotedText, int lastKey) {
    if (found.startsWith(quotedText, Qt::CaseSensitive) && lastKey != kKeyBackspace) return true;
    return found == trimBlanks(quotedText);
}

LookupCompletion IncrementalLookup::evaluate(UserStore& store, const QString& boxText, int mode,
                                             int lastKey) {
    LookupCompletion result;
    if (mode != SearchUserId && mode != SearchName) return result;
    // An empty box stays empty: every row "starts with" the empty text, and clearing the box
    // (Reset, or deleting everything) must not fill it with the first person.
    if (boxText.isEmpty()) return result;
    const QString t = doubleQuotes(boxText);
    const QString column = lookupColumn(mode);
    Dataset& query = store.getQry(lookupStatement(boxText, mode));
    QString found;
    if (query.isOpen() && query.recordCount() > 0) {
        query.first();
        found = query.text(column);
    }
    if (!applies(found, t, lastKey) || boxText.size() >= found.size()) return result;
    result.complete = true;
    result.text = found;
    result.selectionStart = static_cast<int>(t.size());
    result.selectionLength = static_cast<int>(found.size() - t.size());
    result.column = column;
    return result;
}

}  // namespace lumo::app
