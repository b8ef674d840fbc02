#pragma once
#include "connect/ConnectionProfile.h"
#include "connect/SettingsStore.h"
#include <QObject>
#include <array>
#include <functional>
#include <set>

class QLineEdit;

namespace tw {

// Ties the six text fields of the connection window to the settings store:
// every change of a field's text (a keystroke, a paste, an assignment) is
// stored under its key at once.
class ProfileBinding : public QObject, public ProfileFields {
    Q_OBJECT
public:
    ProfileBinding(std::array<QLineEdit*, 6> edits, SettingsStore& store, QObject* parent = nullptr);
    ~ProfileBinding() override;

    QString text(ProfileField field) const override;
    void setText(ProfileField field, const QString& text) override;

    // Stores a field's whole current text under its key.
    void save(ProfileField field);
    // Fills the fields from the store, in key order, each from its key or
    // its default. Each non-empty value raises the field's change, which
    // writes it straight back.
    void load();

    // Told once a run for each kind of trouble the store meets, whichever
    // window's write met it: a file that cannot be read (what is typed is
    // kept from now on), one that cannot be written (what is typed will not
    // be there next time), a lock another program holds (what is typed is
    // kept once it is free).
    void onStoreProblem(std::function<void(const QString& message)> tell) { m_tell = std::move(tell); }
    void tellStoreProblemOnce();

private:
    QLineEdit* edit(ProfileField field) const { return m_edits[size_t(field)]; }
    std::array<QLineEdit*, 6> m_edits;
    SettingsStore& m_store;
    std::function<void(const QString&)> m_tell;
    std::set<SettingsStore::Trouble> m_told;
};

}
