#include "TestEnv.h"
#include "connect/DbError.h"
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace twtest {

QString servicesDir() {
    const QString dir = qEnvironmentVariable("TW_SERVICES_DIR");
    if (dir.isEmpty())
        throw std::runtime_error("TW_SERVICES_DIR is not set: run the tests through ctest after scripts/services start");
    return dir;
}

namespace {
QString mysqlSetting(const char* key) {
    const QString path = servicesDir() + "/mysql.conf";
    if (!QFile::exists(path))
        throw std::runtime_error(("missing " + path + ": run scripts/services start").toStdString());
    QSettings conf(path, QSettings::IniFormat);
    return conf.value(key).toString();
}
}

QString mysqlPort() { return mysqlSetting("port"); }
QString mysqlUser() { return mysqlSetting("user"); }
QString mysqlPassword() { return mysqlSetting("password"); }

QString TestProfile::text(tw::ProfileField f) const {
    auto it = m_fields.find(f);
    return it == m_fields.end() ? QString() : it->second;
}

// Build trees share one server; each gets databases of its own.
MySqlDatabase::MySqlDatabase(const QString& name)
    : m_name(name + "_" + QString::number(qHash(servicesDir()) % 100000)) {
    TestProfile admin;
    admin.setText(tw::ProfileField::Server, "127.0.0.1");
    admin.setText(tw::ProfileField::Port, mysqlPort());
    admin.setText(tw::ProfileField::User, mysqlUser());
    admin.setText(tw::ProfileField::Password, mysqlPassword());
    tw::Connection c = openMySql(tw::MySQLConnectString(admin));
    c.Execute("DROP DATABASE IF EXISTS `" + m_name + "`");
    c.Execute("CREATE DATABASE `" + m_name + "` CHARACTER SET utf8mb4 COLLATE utf8mb4_bin");
}

MySqlDatabase::~MySqlDatabase() {
    try {
        exec("DROP DATABASE IF EXISTS `" + m_name + "`");
    } catch (const std::exception& e) {
        ADD_FAILURE() << "could not drop test database: " << e.what();
    }
}

void MySqlDatabase::fillProfile(tw::ProfileFields& p) const {
    p.setText(tw::ProfileField::Server, "127.0.0.1");
    p.setText(tw::ProfileField::Port, mysqlPort());
    p.setText(tw::ProfileField::User, mysqlUser());
    p.setText(tw::ProfileField::Password, mysqlPassword());
    p.setText(tw::ProfileField::Database, m_name);
}

QString MySqlDatabase::connectString() const {
    TestProfile p;
    fillProfile(p);
    return tw::MySQLConnectString(p);
}

void MySqlDatabase::exec(const QString& sql) const {
    tw::Connection c = openMySql(connectString());
    c.Execute(sql);
}

StandinDatabase::StandinDatabase() {
    const QString path = filePath();
    QFile::remove(path + "-wal");
    QFile::remove(path + "-shm");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(("cannot reset " + path).toStdString());
}

QString StandinDatabase::filePath() const { return servicesDir() + "/standin/test.db"; }

void StandinDatabase::exec(const QString& sql) const {
    tw::Connection c = openStandin(connectString());
    c.Execute(sql);
}

void StandinDatabase::execPastTheRules(const QString& sql) const {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(filePath().toUtf8(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open " + filePath().toStdString());
    char* error = nullptr;
    const int rc = sqlite3_exec(db, ("PRAGMA ignore_check_constraints = ON; " + sql).toUtf8(), nullptr, nullptr, &error);
    const std::string why = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error(why);
}

void StandinDatabase::fillProfile(tw::ProfileFields& p) const {
    p.setText(tw::ProfileField::DataSourceName, dataSourceName());
}

tw::Connection openMySql(const QString& connectString) {
    tw::Connection c;
    c.Open(connectString);
    return c;
}

tw::Connection openStandin(const QString& connectString) {
    tw::Connection c;
    c.Provider = "MSDASQL";
    c.Open(connectString);
    return c;
}

Rows readRows(tw::Connection& connection, const QString& sql) {
    tw::Recordset rs = connection.Execute(sql);
    Rows rows;
    while (!rs.isEOF()) {
        QStringList row;
        for (int i = 0; i < rs.fieldCount(); ++i) {
            const tw::Value& v = rs.Fields(i).Value;
            row << (v.isNull() ? nullText : v.toText());
        }
        rows.push_back(row);
        rs.MoveNext();
    }
    return rows;
}

int ScriptedPrompts::MsgBox(const QString& text, int style, const QString& title) {
    shown.push_back({"MsgBox", text, style, title, {}});
    if ((style & 7) == tw::MsgStyle::YesNo || (style & 7) == tw::MsgStyle::YesNoCancel) {
        if (m_msgAnswers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text.toStdString();
            return tw::MsgAnswer::No;
        }
        int a = m_msgAnswers.front();
        m_msgAnswers.pop_front();
        return a;
    }
    return tw::MsgAnswer::Ok;
}

QString ScriptedPrompts::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    shown.push_back({"InputBox", prompt, 0, title, defaultText});
    if (m_inputAnswers.empty()) {
        ADD_FAILURE() << "unscripted input box: " << prompt.toStdString();
        return {};
    }
    QString a = m_inputAnswers.front();
    m_inputAnswers.pop_front();
    return a;
}

QStringList ScriptedPrompts::texts() const {
    QStringList t;
    for (const auto& p : shown)
        t << p.text;
    return t;
}

}

namespace twtest {

// The kernel completes each connection from the backlog; nobody reads or writes.
SilentListener::SilentListener() {
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_socket, 16) != 0 || ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
}

SilentListener::~SilentListener() { ::close(m_socket); }

StoppedServer::StoppedServer(tw::Connection& any) {
    QFile pidFile(readRows(any, "SELECT @@pid_file").at(0).at(0));
    if (pidFile.open(QIODevice::ReadOnly))
        m_pid = pidFile.readAll().trimmed().toInt();
    if (m_pid > 0)
        ::kill(m_pid, SIGSTOP);
}

StoppedServer::~StoppedServer() {
    if (m_pid > 0)
        ::kill(m_pid, SIGCONT);
}

}
