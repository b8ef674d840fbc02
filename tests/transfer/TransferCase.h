#pragma once
#include "TableManagerRig.h"
#include "tables/SendTables.h"
#include "transfer/SourceStream.h"
#include "tables/SendTables.h"
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

namespace twtest {

// One database of the rig as the transfer tests see it.
struct TransferDatabase {
    QChar quote;
    tw::TableListWidget& (*list)(TableManagerRig& rig);
    void (*exec)(TableManagerRig& rig, const QString& sql);
    tw::Connection (*open)(TableManagerRig& rig);
    QString tableListing;  // one row per table, its name first
    QString integerType;   // a column type both accept for small integers
    // Makes "t" something holding the row (7, 'old') that DROP TABLE refuses.
    void (*undroppableT)(TableManagerRig& rig);
    // An integer in a column the transfer created reads back with this after
    // it: iAnywhere's NUMERIC keeps six decimals.
    QString copiedIntegerDecimals;
};

inline const TransferDatabase mysqlDatabase{
    QChar(u'`'),
    [](TableManagerRig& rig) -> tw::TableListWidget& { return *rig.List1; },
    [](TableManagerRig& rig, const QString& sql) { rig.mysql.exec(sql); },
    [](TableManagerRig& rig) { return openMySql(rig.mysql.connectString()); },
    "SHOW TABLES",
    "INT",
    [](TableManagerRig& rig) {
        rig.mysql.exec("CREATE TABLE `t` (id INT PRIMARY KEY, w TEXT) ENGINE=InnoDB");
        rig.mysql.exec("INSERT INTO `t` VALUES(7, 'old')");
        rig.mysql.exec("CREATE TABLE `t_child` (p INT, FOREIGN KEY (p) REFERENCES `t`(id)) ENGINE=InnoDB");
    },
    "",
};

inline const TransferDatabase standinDatabase{
    QChar(u'"'),
    [](TableManagerRig& rig) -> tw::TableListWidget& { return *rig.List2; },
    [](TableManagerRig& rig, const QString& sql) { rig.standin.exec(sql); },
    [](TableManagerRig& rig) { return openStandin(rig.standin.connectString()); },
    "SELECT name FROM sqlite_master WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_'",
    "INTEGER",
    [](TableManagerRig& rig) { rig.standin.exec("CREATE VIEW \"t\" AS SELECT 7 AS id, 'old' AS w"); },
    ".000000",
};

// What differs between the two transfers, for the tests.
struct TransferCase {
    const char* name;
    TransferDatabase source;
    TransferDatabase target;
    void (*click)(tw::TableManagerUi& ui);
    const tw::TransferDirection& (*direction)();
    QString location;
    QString noCurrentMessage;
    bool lowerCasesTargetNames;
    void (*breakTarget)(TableManagerRig& rig);
    void (*breakSource)(TableManagerRig& rig);
    int targetOpenLine, sourceOpenLine, dropLine, selectLine, createLine;
    long long yieldsPerTable;  // besides those per column, row and value
};

inline void missingDataSource(TableManagerRig& rig) {
    rig.profile.setText(tw::ProfileField::DataSourceName, "tw_no_such_source");
}
inline void wrongPassword(TableManagerRig& rig) {
    rig.profile.setText(tw::ProfileField::Password, "not-the-password");
}

inline const TransferCase toIAnywhereCase{
    "ToIAnywhere", mysqlDatabase, standinDatabase, tw::PushButton3_Click, tw::toIAnywhere,
    "in Tabferry2017/04/05.Form2.PushButton3_Click ", "Please select a table", true,
    missingDataSource, wrongPassword, 120, 128, 148, 152, 204, 1,
};

inline const TransferCase toMySqlCase{
    "ToMySql", standinDatabase, mysqlDatabase, tw::PushButton4_Click, tw::toMySql,
    "in Tabferry2017/04/05.Form2.PushButton4_Click ", "Please select a table to send.", false,
    wrongPassword, missingDataSource, 122, 118, 140, 144, 206, 0,
};

inline std::ostream& operator<<(std::ostream& os, const TransferCase& c) { return os << c.name; }

// Every DROP, CREATE and INSERT the transfer sent, in order.
class SentStatements : public tw::StatementObserver {
public:
    void sending(const QString& sql) override { sql_ << sql; }
    QStringList all() const { return sql_; }
    QStringList startingWith(const QString& prefix) const {
        QStringList found;
        for (const auto& s : sql_)
            if (s.startsWith(prefix))
                found << s;
        return found;
    }

private:
    QStringList sql_;
};

inline QString quoted(QChar quote, const QString& name) {
    return quote + QString(name).replace(quote, QString(2, quote)) + quote;
}

// The error box the guard shows for a failing line of a procedure.
inline bool isErrorBoxFor(const ShownPrompt& p, const QString& location, int line) {
    return p.kind == "MsgBox" && p.title == "Application Error" && p.style == 48 &&
           p.text.contains("\r\n" + location + "at line " + QString::number(line) + "\r\r");
}

// The statement the error box shows after "sql: ".
inline QString statementShown(const ShownPrompt& p) {
    const qsizetype at = p.text.indexOf("\r\rsql: ");
    return at < 0 ? QString() : p.text.mid(at + 7);
}

// Ends, from the server's side, every other session on the rig's MySQL
// database, as a dropped network link would.
inline void killMySqlSessions(TableManagerRig& rig) {
    tw::Connection admin = openMySql(rig.mysql.connectString());
    const Rows ids = readRows(admin, "SELECT ID FROM information_schema.PROCESSLIST WHERE DB = '" + rig.mysql.name() +
                                         "' AND ID <> CONNECTION_ID()");
    ASSERT_FALSE(ids.empty()) << "the transfer has no session to lose";
    for (const auto& id : ids)
        admin.Execute("KILL CONNECTION " + id.at(0));
}

// A rig and the helpers every transfer test uses.
class TransferTest {
public:
    TransferTest(const TransferCase& c, const QString& databaseName) : tc(c), rig(databaseName) {}

    tw::TableListWidget& sourceList() { return tc.source.list(rig); }
    tw::TableListWidget& targetList() { return tc.target.list(rig); }

    // Creates the table in the source database and lists it there.
    void seedSource(const QString& table, const QString& columns, const QStringList& rows = {}) {
        createIn(tc.source, table, columns, rows);
        sourceList().AddItem(table);
    }
    void createIn(const TransferDatabase& db, const QString& table, const QString& columns,
                  const QStringList& rows = {}) {
        db.exec(rig, "CREATE TABLE " + quoted(db.quote, table) + "(" + columns + ")");
        for (const auto& r : rows)
            db.exec(rig, "INSERT INTO " + quoted(db.quote, table) + " VALUES(" + r + ")");
    }
    // A source table of rows numbered 1 to count, each number followed by rest.
    void seedNumbered(const QString& table, const QString& columns, int count, const QString& rest = {}) {
        createIn(tc.source, table, columns);
        for (int i = 1; i <= count; ++i)
            tc.source.exec(rig, QString("INSERT INTO %1 VALUES(%2%3)").arg(quoted(tc.source.quote, table)).arg(i).arg(rest));
        sourceList().AddItem(table);
    }
    // Presses Stop once the bar is half way.
    void stopHalfWay() {
        rig.yield.onYield = [this](long long) { rig.transfer.stop = rig.transfer.stop || rig.progress.value() >= 50; };
    }
    void selectInSource(const QStringList& names) {
        for (int i = 0; i < sourceList().ListCount(); ++i)
            if (names.contains(sourceList().List(i)))
                sourceList().setSelected(i, true);
        sourceList().setListIndex(0);
    }

    void send() {
        tw::TableManagerUi ui = rig.ui();
        tw::transferTables(tc.direction(), ui, &sent);
    }

    Rows rowsIn(const TransferDatabase& db, const QString& table, const QString& order = "1") {
        tw::Connection c = db.open(rig);
        return readRows(c, "SELECT * FROM " + quoted(db.quote, table) + " ORDER BY " + order);
    }
    Rows targetRows(const QString& table, const QString& order = "1") { return rowsIn(tc.target, table, order); }
    // How an integer the transfer copied reads back from the target.
    QString copied(long long n) const { return QString::number(n) + tc.target.copiedIntegerDecimals; }
    QStringList tablesIn(const TransferDatabase& db) {
        tw::Connection c = db.open(rig);
        QStringList names;
        for (const auto& row : readRows(c, db.tableListing))
            names << row.at(0);
        names.sort(Qt::CaseInsensitive);
        return names;
    }

    const TransferCase& tc;
    TableManagerRig rig;
    SentStatements sent;
};

}
