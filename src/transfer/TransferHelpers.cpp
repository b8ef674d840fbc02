#include "transfer/TransferHelpers.h"

namespace tw {

bool ListContains(const TableList& list, const QString& name) {
    const QString wanted = name.toLower();
    for (int i = 0; i < list.ListCount(); ++i)
        if (list.List(i).toLower() == wanted)
            return true;
    return false;
}

void ListRemove(TableList& list, const QString& name) {
    int i = 0;
    while (i < list.ListCount()) {
        if (list.List(i) == name)
            list.RemoveItem(i);
        else
            ++i;
    }
}

Value NullTo(const Value& value, const Value& fallback) { return value.isNull() ? fallback : value; }

}
