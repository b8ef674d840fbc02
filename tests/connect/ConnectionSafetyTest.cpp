#include "TableManagerRig.h"
#include "TestEnv.h"
#include "connect/Catalogue.h"
#include "connect/DbError.h"
#include "base/Yield.h"
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <sys/types.h>
#include <gtest/gtest.h>

using namespace tw;
using twtest::MySqlDatabase;
using twtest::StandinDatabase;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Field values that hold the connection string's own punctuation stay values.
class FieldValuesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { db = new MySqlDatabase("tw_field_values"); }
    static void TearDownTestSuite() { delete db; }
    static MySqlDatabase* db;
    twtest::TestProfile profile;
};
MySqlDatabase* FieldValuesTest::db = nullptr;

TEST_F(FieldValuesTest, APasswordWithSemicolonBracesAndEqualsConnects) {
    const QString password = "pa;ss{w}o=rd";
    db->exec("CREATE USER IF NOT EXISTS 'tw_punct'@'localhost' IDENTIFIED BY '" + password + "'");
    db->exec("CREATE USER IF NOT EXISTS 'tw_punct'@'127.0.0.1' IDENTIFIED BY '" + password + "'");
    db->exec("GRANT SELECT ON `" + db->name() + "`.* TO 'tw_punct'@'localhost'");
    db->exec("GRANT SELECT ON `" + db->name() + "`.* TO 'tw_punct'@'127.0.0.1'");
    db->fillProfile(profile);
    profile.setText(ProfileField::User, "tw_punct");
    profile.setText(ProfileField::Password, password);
    QString reason = "not cleared";
    EXPECT_TRUE(MySQLConnects(profile, &reason)) << reason.toStdString();
    EXPECT_EQ(reason, "");
    EXPECT_EQ(MySQLConnectString(profile).section(';', 4), "PASSWORD={pa;ss{w}}o=rd};PORT=" + twtest::mysqlPort() + ";");
    db->exec("DROP USER 'tw_punct'@'localhost'");
    db->exec("DROP USER 'tw_punct'@'127.0.0.1'");
}

TEST_F(FieldValuesTest, ADatabaseFieldCannotRunAStatementOnConnecting) {
    db->fillProfile(profile);
    profile.setText(ProfileField::Database, db->name() + ";INITSTMT=CREATE TABLE " + db->name() + ".injected_by_field(a int)");
    QString reason;
    EXPECT_FALSE(MySQLConnects(profile, &reason));
    EXPECT_TRUE(reason.contains("Incorrect database name")) << reason.toStdString();
    Connection c = twtest::openMySql(db->connectString());
    EXPECT_EQ(twtest::readRows(c, "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" + db->name() +
                                      "' AND table_name = 'injected_by_field'"),
              twtest::Rows({{"0"}}));
}

TEST_F(FieldValuesTest, ADataSourceNameCannotAddAKey) {
    StandinDatabase standin;
    const QString other = twtest::servicesDir() + "/standin/other.db";
    QFile::remove(other);
    QFile::copy(standin.filePath(), other);
    profile.setText(ProfileField::DataSourceName, StandinDatabase::dataSourceName() + ";Database=" + other);
    QString reason;
    EXPECT_FALSE(SybaseConnects(profile, &reason));
    EXPECT_TRUE(reason.startsWith("[unixODBC][Driver Manager]")) << reason.toStdString();
    EXPECT_EQ(SybaseConnectString(profile), "Data Source={tw_standin;Database=" + other + "}");
    QFile::remove(other);
}

TEST_F(FieldValuesTest, OrdinaryValuesStandAsTyped) {
    db->fillProfile(profile);
    profile.setText(ProfileField::Password, "p=w{");
    EXPECT_TRUE(MySQLConnectString(profile).contains(";PASSWORD={p=w{};")) << "a brace is enclosed";
    profile.setText(ProfileField::Password, "plain=value");
    EXPECT_TRUE(MySQLConnectString(profile).contains(";PASSWORD=plain=value;"));
    profile.setText(ProfileField::DataSourceName, "Sales DSN");
    EXPECT_EQ(SybaseConnectString(profile), "Data Source=Sales DSN");
}

// Waits on a server that accepts and stays silent end when their bound runs out.
class BoundedWaitTest : public ::testing::Test {
protected:
    twtest::SilentListener silent;
    twtest::CountingYield yield;
    QString silentMySql() const {
        twtest::TestProfile p;
        p.setText(ProfileField::Server, "127.0.0.1");
        p.setText(ProfileField::Port, silent.port());
        p.setText(ProfileField::User, "nobody");
        return MySQLConnectString(p);
    }
};

TEST_F(BoundedWaitTest, AnOpenOnASilentPortEndsAtItsBoundWithAClearMessage) {
    Connection c;
    c.ConnectionTimeout = 2;
    const Clock::time_point start = Clock::now();
    try {
        c.Open(silentMySql(), &yield);
        FAIL() << "opened a connection to a port that never answers";
    } catch (const DbError& e) {
        EXPECT_EQ(e.message(), "The MySQL server at 127.0.0.1:" + silent.port() + " did not answer within 2 seconds");
    }
    EXPECT_GE(secondsSince(start), 1.9);
    EXPECT_LT(secondsSince(start), 3.0);
    EXPECT_GE(yield.count, 50) << "the window waited without repainting";
    EXPECT_FALSE(c.isOpen());
}

TEST_F(BoundedWaitTest, TheCheckOnASilentPortSaysFalseWithinItsDefaultBound) {
    twtest::TestProfile p;
    p.setText(ProfileField::Server, "127.0.0.1");
    p.setText(ProfileField::Port, silent.port());
    QString reason;
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(MySQLConnects(p, &reason, &yield));
    EXPECT_LT(secondsSince(start), 16.0);
    EXPECT_EQ(reason, "The MySQL server at 127.0.0.1:" + silent.port() + " did not answer within 15 seconds");
}

TEST_F(BoundedWaitTest, ClosingWhileAnOpenHangsEndsTheWaitAtOnce) {
    class EndingYield : public Yield {
    public:
        void DoEvents() override {
            if (++count == 5)
                throw ProgramEnding();
        }
        int count = 0;
    } ending;
    Connection c;
    const Clock::time_point start = Clock::now();
    EXPECT_THROW(c.Open(silentMySql(), &ending), ProgramEnding);
    EXPECT_LT(secondsSince(start), 0.5);
    EXPECT_FALSE(c.isOpen());
}

TEST_F(BoundedWaitTest, AnOpenWithoutAYieldIsBoundedToo) {
    Connection c;
    c.ConnectionTimeout = 1;
    const Clock::time_point start = Clock::now();
    EXPECT_THROW(c.Open(silentMySql()), DbError);
    EXPECT_LT(secondsSince(start), 2.0);
}

}

namespace {

// A machine where the MariaDB driver is registered only under its own name,
// as Debian's package leaves it. The driver manager caches what it read of
// odbcinst.ini, so each case runs in a process of its own.
class UnregisteredDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        ASSERT_TRUE(folder.isValid());
        QFile ini(folder.filePath("odbcinst.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[MariaDB Unicode]\nDriver=" + mariadbLibrary().toUtf8() + "\n");
    }
    static QString mariadbLibrary() { return "/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"; }
    static QString command() {
        return "printf '[MySQL ODBC 5.1 Driver]\\nDriver=" + mariadbLibrary() + "\\n' | sudo odbcinst -i -d -r";
    }
    // Ends the process: 0 when the check gave what was expected, else 1 with the reason on stderr.
    [[noreturn]] void checkInThisProcess(bool expectConnects, const QString& expectedReason) {
        qputenv("ODBCSYSINI", folder.path().toUtf8());
        twtest::TestProfile profile;
        profile.setText(ProfileField::Server, "127.0.0.1");
        profile.setText(ProfileField::Port, twtest::mysqlPort());
        profile.setText(ProfileField::User, twtest::mysqlUser());
        profile.setText(ProfileField::Password, twtest::mysqlPassword());
        QString reason;
        const bool connects = MySQLConnects(profile, &reason);
        const bool asExpected = connects == expectConnects && reason == expectedReason;
        if (!asExpected)
            fprintf(stderr, "connects %d, reason: %s\n", int(connects), qPrintable(reason));
        std::_Exit(asExpected ? 0 : 1);
    }
    QTemporaryDir folder;
};

TEST_F(UnregisteredDriverTest, TheReasonNamesTheMissingDriverAndTheCommandThatRegistersIt) {
    EXPECT_EXIT(checkInThisProcess(false, "No ODBC driver is registered under the name \"MySQL ODBC 5.1 Driver\". "
                                          "Register the installed driver under that name with: " + command()),
                ::testing::ExitedWithCode(0), "");
}

TEST_F(UnregisteredDriverTest, TheGivenCommandRegistersTheDriverSoTheProfileConnects) {
    QString asRoot = command();
    asRoot.replace("sudo ", "");
    QProcess odbcinst;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ODBCSYSINI", folder.path());
    odbcinst.setProcessEnvironment(env);
    odbcinst.start("/bin/sh", {"-c", asRoot});
    ASSERT_TRUE(odbcinst.waitForFinished());
    ASSERT_EQ(odbcinst.exitCode(), 0) << odbcinst.readAllStandardError().toStdString();
    EXPECT_EXIT(checkInThisProcess(true, ""), ::testing::ExitedWithCode(0), "");
}

}

namespace {

TEST(StatementBoundTest, AStatementOnAServerThatStopsAnsweringEndsAtTheCommandTimeout) {
    MySqlDatabase db("tw_stopped_server");
    Connection c;
    c.CommandTimeout = 2;
    c.Open(db.connectString());
    const Clock::time_point start = Clock::now();
    try {
        twtest::StoppedServer stopped(c);
        ASSERT_TRUE(stopped.stopped()) << "no server process to stop";
        c.Execute("CREATE TABLE t (n INT)");  // on the window's thread, without a yield
        FAIL() << "a statement ran on a stopped server";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.isCommunicationLinkFailure()) << e.message().toStdString();
    }
    EXPECT_GE(secondsSince(start), 1.9);
    EXPECT_LT(secondsSince(start), 8.0);
}

}
