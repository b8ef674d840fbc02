#include "schema/TableStructure.h"

namespace tw {

const ColumnStructure* TableStructure::column(const QString& name) const {
    for (const ColumnStructure& c : columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

}
