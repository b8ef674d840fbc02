#include "connect/ProfileBinding.h"
#include <QLineEdit>

namespace tw {

ProfileBinding::ProfileBinding(std::array<QLineEdit*, 6> edits, SettingsStore& store, QObject* parent)
    : QObject(parent), m_edits(edits), m_store(store) {
    for (ProfileField f : allProfileFields)
        connect(edit(f), &QLineEdit::textChanged, this, [this, f] { save(f); });
}

QString ProfileBinding::text(ProfileField field) const { return edit(field)->text(); }

void ProfileBinding::setText(ProfileField field, const QString& text) { edit(field)->setText(text); }

void ProfileBinding::save(ProfileField field) { m_store.SaveSetting(settingsKey(field), text(field)); }

void ProfileBinding::load() {
    for (ProfileField f : allProfileFields)
        setText(f, m_store.GetSetting(settingsKey(f), defaultValue(f)));
}

}
