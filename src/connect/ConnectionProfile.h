#pragma once
#include <QString>
#include <array>

namespace tw {

// The six strings that say how to reach both databases, in the order the
// profile is loaded.
enum class ProfileField { Server, Port, User, Password, Database, DataSourceName };
constexpr std::array<ProfileField, 6> allProfileFields = {
    ProfileField::Server,   ProfileField::Port,     ProfileField::User,
    ProfileField::Password, ProfileField::Database, ProfileField::DataSourceName};

QString settingsKey(ProfileField field);
QString defaultValue(ProfileField field);

// The connection window's fields, read afresh by every operation.
class ProfileFields {
public:
    virtual ~ProfileFields() = default;
    virtual QString text(ProfileField field) const = 0;
    // Assigning a field raises its change handler when the text changes.
    virtual void setText(ProfileField field, const QString& text) = 0;
};

QString MySQLConnectString(const ProfileFields& profile);
QString SybaseConnectString(const ProfileFields& profile);

}
