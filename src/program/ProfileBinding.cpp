#include "program/ProfileBinding.h"
#include <QLineEdit>

namespace tw {

ProfileBinding::ProfileBinding(std::array<QLineEdit*, 6> edits, SettingsStore& store, QObject* parent)
    : QObject(parent), m_edits(edits), m_store(store) {
    for (ProfileField f : allProfileFields)
        connect(edit(f), &QLineEdit::textChanged, this, [this, f] { save(f); });
    m_store.onTrouble([this] { tellStoreProblemOnce(); });
}

ProfileBinding::~ProfileBinding() { m_store.onTrouble(nullptr); }

QString ProfileBinding::text(ProfileField field) const { return edit(field)->text(); }

void ProfileBinding::setText(ProfileField field, const QString& text) { edit(field)->setText(text); }

void ProfileBinding::save(ProfileField field) { m_store.SaveSetting(settingsKey(field), text(field)); }

void ProfileBinding::tellStoreProblemOnce() {
    const SettingsStore::Trouble trouble = m_store.trouble();
    if (trouble == SettingsStore::Trouble::None || m_told.count(trouble) || !m_tell)
        return;
    m_told.insert(trouble);
    switch (trouble) {
    case SettingsStore::Trouble::Unreadable:
        m_tell(QStringLiteral("Tablewright could not read its settings in %1: %2.\r\rThe fields start from their "
                              "defaults; what you type from now on is kept.")
                   .arg(m_store.fileName(), m_store.problem()));
        break;
    case SettingsStore::Trouble::Unwritable:
        m_tell(QStringLiteral("Tablewright cannot keep its settings in %1: %2.\r\rWhat you type is used until the "
                              "program ends, but it will not be there the next time.")
                   .arg(m_store.fileName(), m_store.problem()));
        break;
    case SettingsStore::Trouble::Locked:
        m_tell(QStringLiteral("Another program holds the lock of Tablewright's settings in %1.\r\rWhat you type is "
                              "used now, and kept as soon as the lock is free.")
                   .arg(m_store.fileName()));
        break;
    case SettingsStore::Trouble::None: break;
    }
}

void ProfileBinding::load() {
    for (ProfileField f : allProfileFields)
        setText(f, m_store.GetSetting(settingsKey(f), defaultValue(f)));
}

}
