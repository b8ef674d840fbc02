#include "tables/ListNames.h"

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
