#pragma once
#include "schema/TableStructure.h"

namespace tw {

// The nearest type the target has for a source column, and, when it is not
// the same type, what a round trip changes ("year became SMALLINT"). An
// empty type: the target has no counterpart.
struct TargetType {
    QString text;
    QString changed;
};

TargetType iAnywhereTypeFor(const SqlType& type);
TargetType mySqlTypeFor(const SqlType& type);

// Whether an index can hold a column of this target type.
bool indexableIAnywhereType(const QString& type);
bool indexableMySqlType(const QString& type);

}
