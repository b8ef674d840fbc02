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

// The fields as they stood when copied, for work that runs away from the
// window.
class ProfileCopy : public ProfileFields {
public:
    ProfileCopy() = default;
    explicit ProfileCopy(const ProfileFields& from);
    QString text(ProfileField field) const override { return m_texts[size_t(field)]; }
    void setText(ProfileField field, const QString& text) override { m_texts[size_t(field)] = text; }

private:
    std::array<QString, allProfileFields.size()> m_texts;
};

// The MySQL connection string. A port that is not a number from 1 to 65535
// raises DbError before anything connects: the driver would read "0" or
// "abc" as 3306 and wrap "70000" round to 4464, reaching another server.
QString MySQLConnectString(const ProfileFields& profile);
// Why a port field's text is no port, or empty when it is one.
QString portProblem(const QString& port);
QString SybaseConnectString(const ProfileFields& profile);

}
