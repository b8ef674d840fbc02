#include "../transfer/TransferCase.h"
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <sys/stat.h>

using namespace tw;
using namespace twtest;

namespace {

struct Finished {
    int code = -1;
    QString out, err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

// The program itself, run as a user runs it from a shell or from cron,
// with a log folder of its own.
class Program {
public:
    Program() {
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert("XDG_STATE_HOME", m_state.path());
        m_env.insert("TABLEWRIGHT_MYSQL_PASSWORD", mysqlPassword());
    }
    QProcessEnvironment& env() { return m_env; }
    QString logPath() const { return m_state.path() + "/tablewright/transfers.log"; }

    void start(const QStringList& arguments) {
        m_process.setProcessEnvironment(m_env);
        m_process.start(TW_PROGRAM, arguments);
        ASSERT_TRUE(m_process.waitForStarted());
    }
    qint64 pid() const { return m_process.processId(); }
    Finished finish() {
        EXPECT_TRUE(m_process.waitForFinished(300'000)) << "the program did not end";
        return {m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1,
                QString::fromUtf8(m_process.readAllStandardOutput()), QString::fromUtf8(m_process.readAllStandardError())};
    }
    Finished run(const QStringList& arguments) {
        start(arguments);
        return finish();
    }

private:
    QTemporaryDir m_state;
    QProcessEnvironment m_env;
    QProcess m_process;
};

class CommandLineTest : public ::testing::TestWithParam<TransferCase>, public TransferTest {
protected:
    CommandLineTest() : TransferTest(GetParam(), "tw_cli") {}

    // Both connections as options; the password comes from the environment.
    QStringList copyTo(const QStringList& more) {
        return QStringList{"copy", "--to", &tc.direction() == &toIAnywhere() ? "iany" : "mysql"} + connection() + more;
    }
    QStringList connection() {
        return {"--server", "127.0.0.1", "--port", mysqlPort(), "--user", mysqlUser(), "--database", rig.mysql.name(),
                "--dsn", rig.standin.dataSourceName()};
    }
    // The target's table as its server holds it, ordered by its first column.
    Rows target(const QString& table) { return targetRows(table); }

    Program program;
};

TEST_P(CommandLineTest, ACopyArrivesValueByValueAndItsAccountIsOneJsonObject) {
    seedSource("orders", "id INT, note VARCHAR(40)", {"1, 'it''s'", "2, NULL", "3, 'back\\\\slash \u00e9'"});

    const Finished f = program.run(copyTo({"--tables", "orders", "--json"}));

    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    const QJsonObject table = f.json()["tables"].toArray().at(0).toObject();
    EXPECT_EQ(table["name"].toString(), "orders");
    EXPECT_EQ(table["read"].toInt(), 3);
    EXPECT_EQ(table["accepted"].toInt(), 3);
    EXPECT_EQ(table["failed"].toInt(), 0);
    EXPECT_EQ(table["check"].toString(), "verified");
    EXPECT_EQ(target("orders"), Rows({{copied(1), "it's"}, {copied(2), nullText}, {copied(3), "back\\slash \u00e9"}}));
    // Not on a terminal: one line per table as it ends, on stderr.
    EXPECT_TRUE(f.err.startsWith("orders: 3 rows read, 3 accepted, 0 failed; verified")) << f.err.toStdString();
}

TEST_P(CommandLineTest, KeepStructureCreatesTheTableAsItsSourceIsAndTheJsonSaysWhat) {
    tc.source.exec(rig, "CREATE TABLE " + quoted(tc.source.quote, "keyed") + "(" + quoted(tc.source.quote, "id") +
                            " INTEGER NOT NULL, " + quoted(tc.source.quote, "amount") + " DECIMAL(9,2), PRIMARY KEY (" +
                            quoted(tc.source.quote, "id") + "))");
    tc.source.exec(rig, "INSERT INTO " + quoted(tc.source.quote, "keyed") + " VALUES (1, 2.50)");

    const Finished f = program.run(copyTo({"--tables", "keyed", "--keep-structure", "--json"}));

    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    const QJsonObject table = f.json()["tables"].toArray().at(0).toObject();
    EXPECT_EQ(table["structure_kept"].toArray(), QJsonArray({"primary key"}));
    EXPECT_EQ(target("keyed"), Rows({{"1", "2.50"}})) << "an integer stays an integer";
    tw::Connection c = tc.target.open(rig);
    EXPECT_EQ(c.OpenSchema(tw::adSchemaPrimaryKeys, "keyed").Fields("COLUMN_NAME").Value.toText(), "id");
}

TEST_P(CommandLineTest, AnExistingTableFailsUnlessTheOptionSaysSkipOrAppend) {
    seedSource("b", "id INT", {"1", "2"});
    createIn(tc.target, "b", "id " + tc.target.integerType, {"7"});
    const Rows untouched = target("b");

    const Finished failed = program.run(copyTo({"--tables", "b", "--json"}));
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.json()["tables"].toArray().at(0).toObject()["skipped"].toString().contains("exists in the target"));
    EXPECT_EQ(target("b"), untouched);

    const Finished skipped = program.run(copyTo({"--tables", "b", "--existing", "skip"}));
    EXPECT_EQ(skipped.code, 1);
    EXPECT_TRUE(skipped.out.contains("b: skipped (kept as it is: it exists in the target)")) << skipped.out.toStdString();
    EXPECT_EQ(target("b"), untouched);

    const Finished appended = program.run(copyTo({"--tables", "b", "--existing=append"}));
    EXPECT_EQ(appended.code, 0) << appended.err.toStdString();
    EXPECT_EQ(target("b").size(), 3u);
}

TEST_P(CommandLineTest, WhereCopiesOnlyTheRowsThatMeetItAndTheCheckComparesThoseRows) {
    seedNumbered("n", "id INT, w VARCHAR(10)", 10, ", 'x'");

    const Finished f = program.run(copyTo({"--table", "n", "--where", "id > 7", "--json"}));

    ASSERT_EQ(f.code, 0) << f.err.toStdString();
    EXPECT_EQ(f.json()["tables"].toArray().at(0).toObject()["check"].toString(), "verified");
    EXPECT_EQ(target("n"), Rows({{copied(8), "x"}, {copied(9), "x"}, {copied(10), "x"}}));
}

TEST_P(CommandLineTest, RowsTheTargetRefusesAreExitOneWithEachFailureOnStderr) {
    seedSource("r", "id INT", {"1", "NULL", "3"});
    createIn(tc.target, "r", "id " + tc.target.integerType + " NOT NULL");

    const Finished f = program.run(copyTo({"--tables", "r", "--existing", "append", "--json"}));

    EXPECT_EQ(f.code, 1);
    const QJsonObject table = f.json()["tables"].toArray().at(0).toObject();
    EXPECT_EQ(table["accepted"].toInt(), 2);
    EXPECT_EQ(table["failed"].toInt(), 1);
    EXPECT_TRUE(f.err.contains("Application Error: ") && f.err.contains(table["first_failure"].toString()))
        << f.err.toStdString();
    EXPECT_EQ(target("r").size(), 2u);
}

TEST_P(CommandLineTest, AListedTableThatDoesNotExistFailsAloneAndTheOthersGoOn) {
    seedSource("here", "id INT", {"1"});

    const Finished f = program.run(copyTo({"--tables", "missing,here", "--json"}));

    EXPECT_EQ(f.code, 1);
    const QJsonArray tables = f.json()["tables"].toArray();
    ASSERT_EQ(tables.size(), 2);
    EXPECT_TRUE(tables.at(0).toObject()["skipped"].toString().startsWith("SELECT failed: "));
    EXPECT_EQ(tables.at(1).toObject()["check"].toString(), "verified");
    EXPECT_EQ(target("here").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothWays, CommandLineTest, ::testing::Values(toIAnywhereCase, toMySqlCase),
                         [](const auto& info) { return std::string(info.param.name); });

class CommandLineOnlyTest : public ::testing::Test, public TransferTest {
protected:
    CommandLineOnlyTest() : TransferTest(toIAnywhereCase, "tw_cli_only") {}
    QStringList connection(const QString& port) {
        return {"--server", "127.0.0.1", "--port", port, "--user", mysqlUser(), "--database", rig.mysql.name(),
                "--dsn", rig.standin.dataSourceName()};
    }
    Program program;
};

TEST_F(CommandLineOnlyTest, HelpAndVersionNeedNoDisplay) {
    program.env().remove("DISPLAY");
    program.env().remove("WAYLAND_DISPLAY");
    program.env().remove("QT_QPA_PLATFORM");

    const Finished help = program.run({"--help"});
    EXPECT_EQ(help.code, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.contains("tablewright copy --to iany|mysql")) << help.out.toStdString();
    const Finished version = program.run({"--version"});
    EXPECT_EQ(version.code, 0) << version.err.toStdString();
    EXPECT_EQ(version.out, "tablewright " TW_VERSION "\n");
}

TEST_F(CommandLineOnlyTest, AUsageErrorIsExitTwoAndNamesWhatIsWrong) {
    const std::pair<QStringList, QString> cases[] = {
        {{"copy", "--to"}, "--to needs a value"},
        {{"copy", "--to", "iany", "--tables", "a", "--bogus"}, "unknown option --bogus"},
        {{"copy", "--to", "iany"}, "copy needs either --tables"},
        {{"copy", "--to", "iany", "--all", "--existing", "ask"}, "--existing takes replace, append, skip or fail"},
        {{"copy", "--to", "iany", "--all", "--password", "x"}, "the password does not come from the command line"},
        {{"list", "oracle"}, "list takes mysql or iany"},
        {{"copy", "--resume", "--to", "iany"}, "--resume takes the tables and options of the transfer it resumes"}};
    for (const auto& [arguments, named] : cases) {
        const Finished f = program.run(arguments);
        EXPECT_EQ(f.code, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(f.err.contains(named)) << f.err.toStdString();
    }
}

TEST_F(CommandLineOnlyTest, AServerThatDoesNotAnswerIsExitTwoWithTheReason) {
    // A port nobody listens on: taken, then given back.
    QString port;
    {
        SilentListener taken;
        port = taken.port();
    }
    const Finished f = program.run(QStringList{"copy", "--to", "iany", "--all"} + connection(port));

    EXPECT_EQ(f.code, 2);
    EXPECT_TRUE(f.err.startsWith("MySQL: ") && f.err.contains("127.0.0.1")) << f.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(program.logPath()));  // nothing was transferred
}

TEST_F(CommandLineOnlyTest, ListGivesOneTablePerLine) {
    rig.mysql.exec("CREATE TABLE `first` (id INT)");
    rig.mysql.exec("CREATE TABLE `second one` (id INT)");

    const Finished f = program.run(QStringList{"list", "mysql"} + connection(mysqlPort()));

    EXPECT_EQ(f.code, 0) << f.err.toStdString();
    EXPECT_EQ(f.out, "first\nsecond one\n");
}

// The mode bits of a file or folder.
unsigned modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST_F(CommandLineOnlyTest, TheLogHoldsOneEntryPerTransferNoPasswordAndOnlyItsUserMayReadIt) {
    seedSource("a", "id INT", {"1"});
    // A user of its own, whose password is like no other word of the log.
    const QString user = "tw_cli_" + QString::number(qHash(rig.mysql.name()) % 100000);
    const QString password = "Pw-" + QString::number(QDateTime::currentMSecsSinceEpoch());
    rig.mysql.exec("CREATE OR REPLACE USER '" + user + "'@'127.0.0.1' IDENTIFIED BY '" + password + "'");
    rig.mysql.exec("GRANT ALL PRIVILEGES ON `" + rig.mysql.name() + "`.* TO '" + user + "'@'127.0.0.1'");
    QTemporaryDir secrets;
    QFile file(secrets.filePath("password"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(password.toUtf8() + "\n");
    file.close();
    program.env().remove("TABLEWRIGHT_MYSQL_PASSWORD");
    QStringList arguments = QStringList{"copy", "--to", "iany", "--tables", "a", "--existing", "replace",
                                        "--password-file", file.fileName()} +
                            connection(mysqlPort());
    arguments[arguments.indexOf("--user") + 1] = user;
    EXPECT_EQ(program.run(arguments).code, 0);
    EXPECT_EQ(program.run(arguments).code, 0);
    rig.mysql.exec("DROP USER '" + user + "'@'127.0.0.1'");

    QFile log(program.logPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_EQ(text.count("\n=== "), 1) << text.toStdString();  // two entries, the second after a blank line
    EXPECT_TRUE(text.startsWith("=== "));
    EXPECT_EQ(text.count("Transfer MySQL to iAnywhere: 1 table, 1 row copied and verified"), 2) << text.toStdString();
    EXPECT_TRUE(text.contains("user " + user));
    EXPECT_FALSE(text.contains(password));
    EXPECT_EQ(modeOf(log.fileName()), 0600u);
    EXPECT_EQ(modeOf(QFileInfo(log).path()), 0700u);
}

TEST_F(CommandLineOnlyTest, ALogThatCannotBeWrittenIsToldAndTheCopyGoesOn) {
    seedSource("a", "id INT", {"1"});
    QTemporaryDir dir;
    QFile blocker(dir.filePath("state"));  // a file where the folder would go
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    program.env().insert("XDG_STATE_HOME", dir.filePath("state"));

    const Finished f = program.run(QStringList{"copy", "--to", "iany", "--tables", "a"} + connection(mysqlPort()));

    EXPECT_EQ(f.code, 0) << f.err.toStdString();
    EXPECT_EQ(f.err.count("The transfer log could not be written"), 1) << f.err.toStdString();
    EXPECT_EQ(targetRows("a").size(), 1u);
}

TEST_F(CommandLineOnlyTest, SigintStopsTheCopyWithAnIntactPrefixAndExitThreeAndResumeCopiesTheRest) {
    rig.mysql.exec("CREATE TABLE big (id INT PRIMARY KEY, w VARCHAR(20))");
    rig.mysql.exec("INSERT INTO big SELECT seq, CONCAT('row ', seq) FROM seq_1_to_200000");

    program.start(QStringList{"copy", "--to", "iany", "--tables", "big", "--json"} + connection(mysqlPort()));
    // Once rows are arriving, as a user's Ctrl-C would come.
    Connection standin = openStandin(rig.standin.connectString());
    long long arrived = 0;
    for (int i = 0; i < 6000 && arrived < 1000; ++i) {
        QThread::msleep(10);
        try {
            arrived = readRows(standin, "SELECT COUNT(*) FROM \"big\"").at(0).at(0).toLongLong();
        } catch (const std::exception&) {  // not created yet, or busy being written
        }
    }
    ASSERT_GE(arrived, 1000);
    ::kill(pid_t(program.pid()), SIGINT);
    const Finished f = program.finish();

    EXPECT_EQ(f.code, 3) << f.err.toStdString();
    EXPECT_TRUE(f.json()["stopped"].toBool());
    const long long accepted = f.json()["tables"].toArray().at(0).toObject()["accepted"].toInteger();
    EXPECT_LT(accepted, 200000);
    // The rows 1 to n, each as it was: nothing missing, nothing changed.
    const Rows shape = readRows(standin, "SELECT COUNT(*), MIN(id), MAX(id), "
                                         "SUM(CASE WHEN w = 'row ' || CAST(CAST(id AS INTEGER) AS VARCHAR(10)) THEN 1 "
                                         "ELSE 0 END) FROM \"big\"");
    EXPECT_EQ(shape.at(0).at(0).toLongLong(), accepted);
    EXPECT_EQ(shape.at(0).at(1).toDouble(), 1);
    EXPECT_EQ(shape.at(0).at(2).toDouble(), double(accepted));
    EXPECT_EQ(shape.at(0).at(3).toLongLong(), accepted);
    EXPECT_TRUE(f.json()["resumable"].toBool());

    const Finished other = program.run({"copy", "--resume", "--database", "tw_no_such_database"});
    EXPECT_EQ(other.code, 2);
    EXPECT_TRUE(other.err.contains("the transfer left to resume ran on other connections")) << other.err.toStdString();

    const Finished rest = program.run(QStringList{"copy", "--resume", "--json"} + connection(mysqlPort()));

    ASSERT_EQ(rest.code, 0) << rest.err.toStdString() << rest.out.toStdString();
    const QJsonObject table = rest.json()["tables"].toArray().at(0).toObject();
    EXPECT_EQ(table["resumed"].toString(), "resumed after id = " + QString::number(accepted));
    EXPECT_EQ(accepted + table["accepted"].toInteger(), 200000);
    EXPECT_EQ(table["check"].toString(), "verified");
    const Rows whole = readRows(standin, "SELECT COUNT(*), COUNT(DISTINCT id), MIN(id), MAX(id) FROM \"big\"");
    EXPECT_EQ(whole.at(0), QStringList({"200000", "200000", "1", "200000"}));
    EXPECT_EQ(program.run({"copy", "--resume"}).code, 2) << "nothing is left to resume";
}

}
