#include "app/TemplateScan.h"

#include <QElapsedTimer>

#include "app/Dataset.h"
#include "app/LumoHost.h"

namespace lumo::app {

TemplateScan::Result TemplateScan::firstMatch(LumoHost& control, const QString& captured,
                                              Dataset& templates, const Progress& progress,
                                              std::chrono::milliseconds progressInterval) {
    Result result;
    result.total = templates.recordCount();
    const QString tplField = QStringLiteral("TPL");
    const QString userField = QStringLiteral("USER_ID");
    QElapsedTimer sinceShown;
    sinceShown.start();
    templates.first();
    while (!templates.eof() && !result.userId) {
        if (control.MatchFinger(templates.text(tplField), captured))
            result.userId = templates.text(userField);
        else
            templates.next();
        ++result.compared;
        const bool last = result.userId || templates.eof();
        if (progress && (last || sinceShown.elapsed() >= progressInterval.count())) {
            progress(result.compared, result.total);
            sinceShown.restart();
        }
    }
    return result;
}

}  // namespace lumo::app
