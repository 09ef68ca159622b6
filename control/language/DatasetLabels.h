// DatasetLabels: what form translation needs of a dataset component, the display labels of
// its fields. A dataset on a control-library form implements it beside QObject (with an
// objectName); translation recognises it by a cast.
#pragma once

#include <QString>

namespace lumo::language {

class DatasetLabels {
public:
    virtual int fieldCount() const = 0;
    virtual void setDisplayLabel(int field, const QString& label) = 0;

protected:
    ~DatasetLabels() = default;
};

}  // namespace lumo::language
