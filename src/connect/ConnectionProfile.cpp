#include "connect/ConnectionProfile.h"

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

QString MySQLConnectString(const ProfileFields& p) {
    return QStringLiteral("DRIVER={MySQL ODBC 5.1 Driver};") + "SERVER=" + p.text(ProfileField::Server) + ";" +
           "USER=" + p.text(ProfileField::User) + ";" + "DATABASE=" + p.text(ProfileField::Database) + ";" +
           "PASSWORD=" + p.text(ProfileField::Password) + ";" + "PORT=" + p.text(ProfileField::Port) + ";";
}

QString SybaseConnectString(const ProfileFields& p) {
    return QStringLiteral("Data Source=") + p.text(ProfileField::DataSourceName);
}

}
