#include "connect/ConnectionProfile.h"
#include "connect/ConnectionString.h"

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

QString MySQLConnectString(const ProfileFields& p) {
    auto value = [&p](ProfileField f) { return connectionStringValue(p.text(f)); };
    return QStringLiteral("DRIVER={MySQL ODBC 5.1 Driver};") + "SERVER=" + value(ProfileField::Server) + ";" +
           "USER=" + value(ProfileField::User) + ";" + "DATABASE=" + value(ProfileField::Database) + ";" +
           "PASSWORD=" + value(ProfileField::Password) + ";" + "PORT=" + value(ProfileField::Port) + ";";
}

QString SybaseConnectString(const ProfileFields& p) {
    return QStringLiteral("Data Source=") + connectionStringValue(p.text(ProfileField::DataSourceName));
}

}
