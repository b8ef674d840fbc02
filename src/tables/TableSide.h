#pragma once
#include "connect/Connection.h"
#include "base/Guard.h"
#include "tables/TableManagerUi.h"
#include <QChar>
#include <QString>
#include <optional>

namespace tw {

// What the MySQL side and the iAnywhere side of the table manager differ in
// when they drop or rename: their list, how their connection opens, how they
// quote a name and how they word a rename.
struct TableSide {
    TableList& (*list)(const TableManagerUi& ui);
    QString provider;  // set on the connection before it opens; empty for none
    int providerLine;
    QString (*connectString)(const ProfileFields& profile);
    int openLine;
    QChar quote;
    // The rename is keyword, old name, separator, new name, ending.
    QString renameKeyword;
    QString renameSeparator;
    QString renameEnding;
};

const TableSide& mysqlTableSide();
const TableSide& sybaseTableSide();

// The name between the side's quote characters. A quote character inside the
// name is doubled, so no name can end the quoted identifier early.
QString quotedName(const TableSide& side, const QString& name);

// The first steps of a drop and of a rename: create the connection (line
// 100), show the hourglass (102), then set the side's provider and open its
// connection. Empty when the connection did not open; the error box for the
// failing line has been shown.
std::optional<Connection> openSideConnection(Guard& guard, const TableSide& side, TableManagerUi& ui);

}
