// TemplateScan: identification in Kestrel, a captured template compared with the stored
// template rows in their order until the first match.
//
//     const TemplateScan::Result r = TemplateScan::firstMatch(control, captured, templates,
//         [&](int compared, int total) { showCount(compared, total); });
//
// Each row's TPL goes to the control's MatchFinger as the registration template, so the
// control decides what matches, and the scan stops at the first match in row order (the rows
// come ordered by USER_ID); the set's cursor is left on the matching row. The progress
// callback gets the number compared so far and the total; it is called after a comparison
// when at least `progressInterval` has passed since the last call, and always after the last
// comparison, so the final count is always shown while a long scan does not spend its time
// repainting. Errors of the control (LumoHostError) or of the set end the scan and propagate.
// GUI thread only (the control is called on it).
#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace lumo::app {

class Dataset;
class LumoHost;

class TemplateScan {
public:
    using Progress = std::function<void(int compared, int total)>;

    struct Result {
        int compared = 0;
        int total = 0;
        std::optional<QString> userId;  // USER_ID of the first matching row
    };

    static constexpr std::chrono::milliseconds kProgressInterval{30};

    static Result firstMatch(LumoHost& control, const QString& captured, Dataset& templates,
                             const Progress& progress,
                             std::chrono::milliseconds progressInterval = kProgressInterval);
};

}  // namespace lumo::app
