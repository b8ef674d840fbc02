#pragma once
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QSettings;
class QTimer;

namespace tw {

// Per-user string values under application "Veltrano", section
// "Tablewright": an INI file in the user's config folder. Every write goes
// to disk at once; the file holds a password, so only its owner may read it
// or its folder, whatever the umask. A write never waits for the file's
// lock: while another program holds it, the value is kept and written as
// soon as the lock is free, at the latest when the store goes.
class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();

    QString GetSetting(const QString& key, const QString& defaultValue) const;
    // False when the value could not be written to disk now; the value is
    // still read back for the rest of the run.
    bool SaveSetting(const QString& key, const QString& value);
    bool contains(const QString& key) const;
    QString fileName() const;

    enum class Trouble { None, Unreadable, Unwritable, Locked };
    // What keeps the file from being read or written, and why ("Permission
    // denied", "it is a folder"); None and empty while it can.
    Trouble trouble() const { return m_trouble; }
    QString problem() const { return m_problem; }
    // Called when a write fails, or when the lock has been held for a
    // second; on the thread the store lives on.
    void onTrouble(std::function<void()> tell) { m_tell = std::move(tell); }

private:
    bool write(const QString& key, const QString& value);
    bool lockedByAnother() const;
    void retryPending();
    bool restrictToOwner();
    void troubled(Trouble trouble, const QString& why);
    std::unique_ptr<QSettings> m_settings;
    std::map<QString, QString> m_pending;  // values waiting for the lock
    std::unique_ptr<QTimer> m_retry;
    QElapsedTimer m_lockedSince;
    Trouble m_trouble = Trouble::None;
    QString m_problem;
    std::function<void()> m_tell;
};

}
