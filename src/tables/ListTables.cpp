#include "tables/ListTables.h"
#include "connect/Catalogue.h"

namespace tw {

namespace {
void fill(TableList& list, const QStringList& names) {
    list.Clear();
    for (const QString& name : names)
        list.AddItem(name);
}
}

void ListMySQLTables(const ProfileFields& profile, TableList& list, Yield& yield) {
    fill(list, MySQLTableNames(profile, yield));
}

void ListSybaseTables(const ProfileFields& profile, TableList& list, Yield& yield) {
    fill(list, SybaseTableNames(profile, yield));
}

}
