#include "connect/SettingsStore.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {
const QString section = QStringLiteral("Tablewright");

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What keeps a path from being read as a settings file, or empty.
QString unreadableReason(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("it is a folder");
    if (!info.exists())
        return {};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    ::close(fd);
    return {};
}

// Why a write of the file failed: the file itself, or its folder, which
// takes the new copy of the file.
QString unwritableReason(const QString& path) {
    if (const QString reason = unreadableReason(path); !reason.isEmpty())
        return reason;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT)
        return systemReason(errno);
    if (fd >= 0)
        ::close(fd);
    const QString folder = QFileInfo(path).absolutePath();
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) != 0)
        return QStringLiteral("its folder %1 cannot be written: %2").arg(folder, systemReason(errno));
    return QStringLiteral("it could not be written");
}

// Files and folders made while it lives are the owner's only.
class OwnerOnlyUmask {
public:
    OwnerOnlyUmask() : m_old(::umask(077)) {}
    ~OwnerOnlyUmask() { ::umask(m_old); }

private:
    mode_t m_old;
};
}

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Veltrano"))) {
    m_settings->sync();  // read what is on disk now, not what an earlier store of this process cached
    m_problem = unreadableReason(fileName());
    if (m_problem.isEmpty() && m_settings->status() != QSettings::NoError)
        m_problem = QStringLiteral("it could not be read");
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const {
    return m_settings->value(section + u'/' + key, defaultValue).toString();
}

bool SettingsStore::contains(const QString& key) const { return m_settings->contains(section + u'/' + key); }

QString SettingsStore::fileName() const { return m_settings->fileName(); }

bool SettingsStore::SaveSetting(const QString& key, const QString& value) {
    OwnerOnlyUmask ownerOnly;  // also for the lock file the write makes beside the file
    bool written = restrictToOwner();
    m_settings->setValue(section + u'/' + key, value);
    m_settings->sync();
    written = written && m_settings->status() == QSettings::NoError && restrictToOwner();
    if (!written)
        m_problem = unwritableReason(fileName());
    return written;
}

// Creates the file owner-only before the first write, and keeps it so after
// each write (the write may replace the file).
bool SettingsStore::restrictToOwner() {
    const QString path = m_settings->fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::fchmod(fd, 0600);
    ::close(fd);
    return true;
}

}
