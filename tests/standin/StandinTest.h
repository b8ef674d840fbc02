#pragma once
#include "TestEnv.h"
#include "connect/Connection.h"
#include "connect/DbError.h"
#include "connect/OdbcHandle.h"
#include "connect/Recordset.h"
#include <QString>
#include <gtest/gtest.h>
#include <optional>

// A fresh, empty stand-in database for every test, opened the way the
// program opens the iAnywhere side: provider MSDASQL, "Data Source=".
class StandinTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.emplace();
        conn = twtest::openStandin(db->connectString());
    }
    void TearDown() override { conn.Close(); }

    tw::Recordset run(const QString& sql) { return conn.Execute(sql); }

    // The message of the DbError that sql raises; fails the test if none does.
    tw::DbError errorOf(const QString& sql) {
        try {
            conn.Execute(sql);
        } catch (const tw::DbError& e) {
            return e;
        }
        ADD_FAILURE() << "no error from: " << sql.toStdString();
        return tw::DbError(QStringLiteral("(none)"));
    }

    // The first row's field, read through a server-side cursor.
    tw::Value valueOf(const QString& sql, int field = 0) {
        tw::Recordset rs = conn.Execute(sql);
        EXPECT_FALSE(rs.isEOF()) << sql.toStdString();
        return rs.isEOF() ? tw::Value() : rs.Fields(field).Value;
    }

    std::optional<twtest::StandinDatabase> db;
    tw::Connection conn;
};

inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }
