// NavigatorHints: what form translation needs of a dataset navigator, the hints of its
// buttons, one per line in the language file. A navigator component implements it beside
// QObject (with an objectName); translation recognises it by a cast.
#pragma once

#include <QStringList>

namespace lumo::language {

class NavigatorHints {
public:
    virtual void setHints(const QStringList& hints) = 0;

protected:
    ~NavigatorHints() = default;
};

}  // namespace lumo::language
