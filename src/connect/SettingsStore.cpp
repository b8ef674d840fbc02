#include "connect/SettingsStore.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {
const QString section = QStringLiteral("Tablewright");
}

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Veltrano"))) {
    m_settings->sync();  // read what is on disk now, not what an earlier store of this process cached
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const {
    return m_settings->value(section + u'/' + key, defaultValue).toString();
}

bool SettingsStore::contains(const QString& key) const { return m_settings->contains(section + u'/' + key); }

QString SettingsStore::fileName() const { return m_settings->fileName(); }

void SettingsStore::SaveSetting(const QString& key, const QString& value) {
    restrictToOwner();
    m_settings->setValue(section + u'/' + key, value);
    m_settings->sync();
    restrictToOwner();
}

// Creates the file owner-only before the first write, and keeps it so after
// each write (the write may replace the file).
void SettingsStore::restrictToOwner() const {
    const QString path = m_settings->fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
}

}
