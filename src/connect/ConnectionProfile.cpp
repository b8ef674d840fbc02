#include "connect/ConnectionProfile.h"
#include "connect/ConnectionString.h"
#include "connect/DbError.h"

namespace tw {

QString settingsKey(ProfileField field) {
    switch (field) {
    case ProfileField::Server: return QStringLiteral("Server");
    case ProfileField::Port: return QStringLiteral("Port");
    case ProfileField::User: return QStringLiteral("User");
    case ProfileField::Password: return QStringLiteral("Password");
    case ProfileField::Database: return QStringLiteral("Database");
    case ProfileField::DataSourceName: return QStringLiteral("DataSourceName");
    }
    return {};
}

QString defaultValue(ProfileField field) {
    switch (field) {
    case ProfileField::Server: return QStringLiteral("localhost");
    case ProfileField::Port: return QStringLiteral("3306");
    default: return {};
    }
}

ProfileCopy::ProfileCopy(const ProfileFields& from) {
    for (ProfileField field : allProfileFields)
        setText(field, from.text(field));
}

QString portProblem(const QString& port) {
    bool digitsOnly = !port.isEmpty() && port.size() <= 5;
    for (QChar c : port)
        digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    const int number = digitsOnly ? port.toInt() : 0;
    return number >= 1 && number <= 65535 ? QString() : QStringLiteral("Port must be a number from 1 to 65535");
}

QString MySQLConnectString(const ProfileFields& p) {
    if (const QString problem = portProblem(p.text(ProfileField::Port)); !problem.isEmpty())
        throw DbError(problem);
    auto value = [&p](ProfileField f) { return connectionStringValue(p.text(f)); };
    return QStringLiteral("DRIVER={MySQL ODBC 5.1 Driver};") + "SERVER=" + value(ProfileField::Server) + ";" +
           "USER=" + value(ProfileField::User) + ";" + "DATABASE=" + value(ProfileField::Database) + ";" +
           "PASSWORD=" + value(ProfileField::Password) + ";" + "PORT=" + value(ProfileField::Port) + ";";
}

QString SybaseConnectString(const ProfileFields& p) {
    return QStringLiteral("Data Source=") + connectionStringValue(p.text(ProfileField::DataSourceName));
}

}
