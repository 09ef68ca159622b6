#include "app/SearchStatements.h"

#include "app/TextRules.h"

namespace lumo::app {

QString searchStatement(const QString& keyword, int mode) {
    const QString k = doubleQuotes(trimBlanks(keyword));
    if (k.isEmpty()) return QStringLiteral(" SELECT * FROM USERS ORDER BY USERID");
    const QString p = QStringLiteral("%") + k + QStringLiteral("%");
    switch (mode) {
        case SearchUserId:
            return QStringLiteral(" SELECT * FROM USERS WHERE (USERID LIKE '") + p +
                   QStringLiteral("' )") + QStringLiteral(" ORDER BY USERID ");
        case SearchName:
            return QStringLiteral(" SELECT * FROM USERS WHERE (NAME LIKE '") + p +
                   QStringLiteral("' )") + QStringLiteral(" ORDER BY USERID ");
        default:
            return QStringLiteral(" SELECT * FROM USERS WHERE (USERID LIKE '") + p +
                   QStringLiteral("' OR NAME LIKE '") + p + QStringLiteral("' OR DOB LIKE '") + p +
                   QStringLiteral("' OR ") + QStringLiteral(" ADDRESS LIKE '") + p +
                   QStringLiteral("' OR TEL LIKE '") + p + QStringLiteral("' OR EMAIL LIKE '") + p +
                   QStringLiteral("' OR     ") + QStringLiteral(" REMARK1 LIKE '") + p +
                   QStringLiteral("' OR REMARK2 LIKE '") + p +
                   QStringLiteral("' OR REMARK3 LIKE '") + p + QStringLiteral("' )") +
                   QStringLiteral(" ORDER BY USERID ");
    }
}

QString lookupStatement(const QString& text, int mode) {
    const QString t = doubleQuotes(text);
    switch (mode) {
        case SearchUserId:
            return QStringLiteral("SELECT ID, UserID FROM USERS WHERE UserID LIKE '") + t +
                   QStringLiteral("%") + QStringLiteral("' ");
        case SearchName:
            return QStringLiteral("SELECT ID, Name FROM USERS WHERE Name LIKE '") + t +
                   QStringLiteral("%") + QStringLiteral("' ");
        default:
            return QString();
    }
}

QString lookupColumn(int mode) {
    switch (mode) {
        case SearchUserId:
            return QStringLiteral("UserID");
        case SearchName:
            return QStringLiteral("Name");
        default:
            return QString();
    }
}

}  // namespace lumo::app
