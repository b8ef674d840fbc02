#include "tables/ListNames.h"

namespace tw {

void ListRemove(TableList& list, const QString& name) {
    int i = 0;
    while (i < list.ListCount()) {
        if (list.List(i) == name)
            list.RemoveItem(i);
        else
            ++i;
    }
}

QStringList ListEntries(const TableList& list) {
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i)
        names << list.List(i);
    return names;
}

QStringList SelectedBottomFirst(const TableList& list) {
    QStringList names;
    for (int i = list.ListCount() - 1; i >= 0; --i)
        if (list.Selected(i))
            names << list.List(i);
    return names;
}

}
