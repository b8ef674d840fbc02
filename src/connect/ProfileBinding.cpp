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

void ProfileBinding::save(ProfileField field) {
    if (!m_store.SaveSetting(settingsKey(field), text(field)))
        tellStoreProblemOnce();
}

void ProfileBinding::tellStoreProblemOnce() {
    if (m_told || m_store.problem().isEmpty() || !m_tell)
        return;
    m_told = true;
    m_tell(QStringLiteral("Tablewright cannot keep its settings in %1: %2.\r\rWhat you type is used until the "
                          "program ends, but it will not be there the next time.")
               .arg(m_store.fileName(), m_store.problem()));
}

void ProfileBinding::load() {
    for (ProfileField f : allProfileFields)
        setText(f, m_store.GetSetting(settingsKey(f), defaultValue(f)));
}

}
