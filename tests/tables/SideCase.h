#pragma once
#include "TableManagerRig.h"
#include "connect/DbError.h"
#include "tables/DropTables.h"
#include "tables/RenameTable.h"
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace twtest {

// One database of the rig, as the drop and rename tests see it.
struct SideDatabase {
    QChar quote;
    tw::TableListWidget& (*list)(TableManagerRig& rig);
    void (*exec)(TableManagerRig& rig, const QString& sql);
    QStringList (*tables)(TableManagerRig& rig);  // sorted without regard to case
};

// What differs between the two sides of the table manager for the tests.
struct SideCase {
    const char* name;
    SideDatabase own;
    SideDatabase other;
    void (*drop)(tw::TableManagerUi& ui);
    void (*rename)(tw::TableManagerUi& ui);
    void (*makeUnreachable)(TableManagerRig& rig);
    QString dropLocation;
    QString renameLocation;
    int openLine;
    int dropLine;
    int renameLine;
};

inline QString quoted(QChar quote, const QString& name) {
    return quote + QString(name).replace(quote, QString(2, quote)) + quote;
}

inline QStringList sortedNames(const Rows& rows) {
    QStringList names;
    for (const auto& row : rows)
        names << row.at(0);
    names.sort(Qt::CaseInsensitive);
    return names;
}

inline const SideDatabase mysqlDatabase{
    QChar(u'`'),
    [](TableManagerRig& rig) -> tw::TableListWidget& { return *rig.List1; },
    [](TableManagerRig& rig, const QString& sql) { rig.mysql.exec(sql); },
    [](TableManagerRig& rig) {
        tw::Connection c = openMySql(rig.mysql.connectString());
        return sortedNames(readRows(c, "SHOW TABLES"));
    },
};

inline const SideDatabase standinDatabase{
    QChar(u'"'),
    [](TableManagerRig& rig) -> tw::TableListWidget& { return *rig.List2; },
    [](TableManagerRig& rig, const QString& sql) { rig.standin.exec(sql); },
    [](TableManagerRig& rig) {
        tw::Connection c = openStandin(rig.standin.connectString());
        return sortedNames(
            readRows(c, "SELECT name FROM sqlite_master WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_'"));
    },
};

inline const SideCase mysqlSide{
    "MySQL",
    mysqlDatabase,
    standinDatabase,
    tw::PushButton1_Click,
    tw::PushButton6_Click,
    [](TableManagerRig& rig) { rig.profile.setText(tw::ProfileField::Password, "not-the-password"); },
    "in Tabferry2017/04/05.Form2.PushButton1_Click ",
    "in Tabferry2017/04/05.Form2.PushButton6_Click ",
    104,
    112,
    120,
};

inline const SideCase standinSide{
    "iAnywhere",
    standinDatabase,
    mysqlDatabase,
    tw::PushButton5_Click,
    tw::PushButton7_Click,
    [](TableManagerRig& rig) { rig.profile.setText(tw::ProfileField::DataSourceName, "tw_no_such_source"); },
    "in Tabferry2017/04/05.Form2.PushButton5_Click ",
    "in Tabferry2017/04/05.Form2.PushButton7_Click ",
    106,
    114,
    122,
};

inline std::ostream& operator<<(std::ostream& os, const SideCase& side) { return os << side.name; }

// A fixture for one side: a fresh rig, helpers to seed tables and the list.
class SideTest : public ::testing::TestWithParam<SideCase> {
protected:
    explicit SideTest(const QString& databaseName) : rig(databaseName) {}

    const SideCase& side() const { return GetParam(); }
    tw::TableListWidget& list() { return side().own.list(rig); }

    void createTables(const SideDatabase& db, const QStringList& names) {
        for (const auto& n : names)
            db.exec(rig, "CREATE TABLE " + quoted(db.quote, n) + " (id INT)");
    }
    // Tables in the side's database and the same names in its list.
    void seed(const QStringList& names) {
        createTables(side().own, names);
        for (const auto& n : names)
            list().AddItem(n);
    }
    // The rig's lists, with this side's list replaced.
    tw::TableManagerUi uiWithOwnList(tw::TableList& own) {
        const bool ownIsList1 = &list() == rig.List1.get();
        return {ownIsList1 ? own : *rig.List1, ownIsList1 ? *rig.List2 : own, rig.progress, rig.pointer,
                rig.prompts,                   rig.yield,                     rig.profile,                   rig.transfer};
    }
    QStringList tablesInDatabase() { return side().own.tables(rig); }
    QStringList selection() {
        QStringList selected;
        for (int i = 0; i < list().ListCount(); ++i)
            if (list().Selected(i))
                selected << list().List(i);
        return selected;
    }

    // The error box the guard shows for a failing line of a procedure.
    static bool isErrorBoxFor(const ShownPrompt& p, const QString& location, int line) {
        return p.kind == "MsgBox" && p.title == "Application Error" && p.style == 48 &&
               p.text.contains("\r\n" + location + "at line " + QString::number(line) + "\r\r");
    }

    TableManagerRig rig;
};

// Records the names a list loses, in order, and passes everything on.
class RemovalRecorder : public tw::TableList {
public:
    explicit RemovalRecorder(tw::TableList& inner) : m_inner(inner) {}
    int ListCount() const override { return m_inner.ListCount(); }
    QString List(int i) const override { return m_inner.List(i); }
    int ListIndex() const override { return m_inner.ListIndex(); }
    void setListIndex(int i) override { m_inner.setListIndex(i); }
    bool Selected(int i) const override { return m_inner.Selected(i); }
    void setSelected(int i, bool s) override { m_inner.setSelected(i, s); }
    int SelCount() const override { return m_inner.SelCount(); }
    void AddItem(const QString& n) override { m_inner.AddItem(n); }
    void RemoveItem(int i) override {
        removed << m_inner.List(i);
        m_inner.RemoveItem(i);
    }
    void Clear() override { m_inner.Clear(); }

    QStringList removed;

private:
    tw::TableList& m_inner;
};

}
