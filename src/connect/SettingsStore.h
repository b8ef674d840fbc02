#pragma once
#include <QString>
#include <memory>

class QSettings;

namespace tw {

// Per-user string values under application "Veltrano", section
// "Tablewright": an INI file in the user's config folder. Every write goes
// to disk at once; the file holds a password, so only its owner may read it.
class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();

    QString GetSetting(const QString& key, const QString& defaultValue) const;
    void SaveSetting(const QString& key, const QString& value);
    bool contains(const QString& key) const;
    QString fileName() const;

private:
    void restrictToOwner() const;
    std::unique_ptr<QSettings> m_settings;
};

}
