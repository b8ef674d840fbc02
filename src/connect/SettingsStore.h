#pragma once
#include <QString>
#include <memory>

class QSettings;

namespace tw {

// Per-user string values under application "Veltrano", section
// "Tablewright": an INI file in the user's config folder. Every write goes
// to disk at once; the file holds a password, so only its owner may read it
// or its folder, whatever the umask.
class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();

    QString GetSetting(const QString& key, const QString& defaultValue) const;
    // False when the value could not be written to disk; the value is still
    // read back for the rest of the run.
    bool SaveSetting(const QString& key, const QString& value);
    bool contains(const QString& key) const;
    QString fileName() const;
    // Why the file cannot be read or written ("Permission denied", "it is a
    // folder"), or empty while it can.
    QString problem() const { return m_problem; }

private:
    bool restrictToOwner();
    std::unique_ptr<QSettings> m_settings;
    QString m_problem;
};

}
