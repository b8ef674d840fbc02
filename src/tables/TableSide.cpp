#include "tables/TableSide.h"

namespace tw {

const TableSide& mysqlTableSide() {
    static const TableSide side{
        .list = [](const TableManagerUi& ui) -> TableList& { return ui.List1; },
        .provider = {},
        .providerLine = 0,
        .connectString = MySQLConnectString,
        .openLine = 104,
        .quote = QChar(u'`'),
        .renameKeyword = QStringLiteral("RENAME TABLE "),
        .renameSeparator = QStringLiteral(" TO "),
        .renameEnding = {},
    };
    return side;
}

const TableSide& sybaseTableSide() {
    static const TableSide side{
        .list = [](const TableManagerUi& ui) -> TableList& { return ui.List2; },
        .provider = QStringLiteral("MSDASQL"),
        .providerLine = 104,
        .connectString = SybaseConnectString,
        .openLine = 106,
        .quote = QChar(u'"'),
        .renameKeyword = QStringLiteral("ALTER TABLE "),
        .renameSeparator = QStringLiteral(" RENAME "),
        .renameEnding = QStringLiteral(";"),
    };
    return side;
}

QString quotedName(const TableSide& side, const QString& name) {
    QString inner = name;
    inner.replace(side.quote, QString(2, side.quote));
    return side.quote + inner + side.quote;
}

std::optional<Connection> openSideConnection(Guard& guard, const TableSide& side, TableManagerUi& ui) {
    std::optional<Connection> connection;
    guard.step(100, [&] { connection.emplace(); });
    guard.step(102, [&] { ui.pointer.setMousePointer(PointerCode::Hourglass); });
    if (!side.provider.isEmpty())
        guard.step(side.providerLine, [&] { connection.value().Provider = side.provider; });
    if (!guard.step(side.openLine, [&] { connection.value().Open(side.connectString(ui.profile), &ui.yield); }))
        connection.reset();
    return connection;
}

}
