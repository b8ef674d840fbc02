#pragma once
#include "connect/Connection.h"
#include "connect/ConnectionProfile.h"
#include "connect/Recordset.h"
#include "base/Prompts.h"
#include <QString>
#include <QStringList>
#include <deque>
#include <ostream>
#include <map>
#include <vector>

namespace twtest {

// The private services of this build tree (scripts/services start).
QString servicesDir();
QString mysqlPort();
QString mysqlUser();
QString mysqlPassword();

// A profile whose fields a test sets directly.
class TestProfile : public tw::ProfileFields {
public:
    QString text(tw::ProfileField f) const override;
    void setText(tw::ProfileField f, const QString& t) override { m_fields[f] = t; }

private:
    std::map<tw::ProfileField, QString> m_fields;
};

// A fresh, empty MySQL database on the private server, dropped again when
// the object goes.
class MySqlDatabase {
public:
    explicit MySqlDatabase(const QString& name);
    ~MySqlDatabase();
    QString name() const { return m_name; }
    QString connectString() const;  // exactly as the program builds it
    void exec(const QString& sql) const;
    void fillProfile(tw::ProfileFields& profile) const;

private:
    QString m_name;
};

// The stand-in data source "tw_standin", emptied for each use.
class StandinDatabase {
public:
    StandinDatabase();
    static QString dataSourceName() { return QStringLiteral("tw_standin"); }
    QString connectString() const { return QStringLiteral("Data Source=") + dataSourceName(); }
    QString filePath() const;
    void exec(const QString& sql) const;
    // Straight into the file, past the server's column rules: a value the
    // server would refuse, for a row that cannot be read.
    void execPastTheRules(const QString& sql) const;
    void fillProfile(tw::ProfileFields& profile) const;
};

// Opens a connection the way the program opens the given side.
tw::Connection openMySql(const QString& connectString);
tw::Connection openStandin(const QString& connectString);

// Every row of a query, each value in its exact text form, Null as "<NULL>".
using Rows = std::vector<QStringList>;
Rows readRows(tw::Connection& connection, const QString& sql);
inline const QString nullText = QStringLiteral("<NULL>");

// One shown message box or input box, as the user saw it.
struct ShownPrompt {
    QString kind;  // "MsgBox" or "InputBox"
    QString text;
    int style = 0;
    QString title;
    QString defaultText;
};

// Answers prompts from a script and records every one shown, in order.
class ScriptedPrompts : public tw::Prompts {
public:
    int MsgBox(const QString& text, int style, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) override;

    void answerMsgBox(int answer) { m_msgAnswers.push_back(answer); }
    void answerInputBox(const QString& answer) { m_inputAnswers.push_back(answer); }

    std::vector<ShownPrompt> shown;
    // The texts of all boxes shown, in order.
    QStringList texts() const;

private:
    std::deque<int> m_msgAnswers;
    std::deque<QString> m_inputAnswers;
};

}

namespace twtest {

// A port on 127.0.0.1 that takes connections and never says a word, as a
// stopped server or another service's port does.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    QString port() const { return QString::number(m_port); }

private:
    int m_socket = -1;
    int m_port = 0;
};

// The private server stopped (SIGSTOP) for the life of the object, as a
// server that stops answering in the middle of a session is; woken again
// whatever the test does meanwhile.
class StoppedServer {
public:
    explicit StoppedServer(tw::Connection& any);
    ~StoppedServer();
    bool stopped() const { return m_pid > 0; }

private:
    int m_pid = 0;
};

}

// Failures show text as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
