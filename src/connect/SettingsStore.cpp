#include "connect/SettingsStore.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QTimer>
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
    // A file the system will not open cannot be written either; one whose
    // text is garbled is written over, and kept from then on.
    if (const QString why = unreadableReason(fileName()); !why.isEmpty()) {
        m_trouble = Trouble::Unwritable;
        m_problem = why;
    } else if (m_settings->status() != QSettings::NoError) {
        m_trouble = Trouble::Unreadable;
        m_problem = QStringLiteral("its text is not in the form of a settings file");
    }
}

// Values still waiting for the lock are written at the end if it is free
// by then; a lock still held keeps them out, as the user was told.
SettingsStore::~SettingsStore() {
    m_tell = nullptr;  // nobody is left to tell
    if (m_pending.empty() || lockedByAnother())
        return;
    for (const auto& [key, value] : m_pending)
        write(key, value);
}

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const {
    if (const auto pending = m_pending.find(key); pending != m_pending.end())
        return pending->second;
    return m_settings->value(section + u'/' + key, defaultValue).toString();
}

bool SettingsStore::contains(const QString& key) const {
    return m_pending.count(key) > 0 || m_settings->contains(section + u'/' + key);
}

QString SettingsStore::fileName() const { return m_settings->fileName(); }

bool SettingsStore::SaveSetting(const QString& key, const QString& value) {
    if (!m_pending.empty() || lockedByAnother()) {
        m_pending[key] = value;
        if (!m_retry) {
            m_retry = std::make_unique<QTimer>();
            m_retry->setInterval(250);
            QObject::connect(m_retry.get(), &QTimer::timeout, [this] { retryPending(); });
        }
        if (!m_retry->isActive()) {
            m_lockedSince.start();
            m_retry->start();
        }
        return false;
    }
    return write(key, value);
}

// The lock QSettings takes for each write, looked at without waiting: held
// by another program, the write would wait as long as it holds it.
bool SettingsStore::lockedByAnother() const {
    QLockFile probe(fileName() + QStringLiteral(".lock"));
    return !probe.tryLock(0) && probe.error() == QLockFile::LockFailedError;
}

void SettingsStore::retryPending() {
    if (lockedByAnother()) {
        if (m_lockedSince.elapsed() >= 1000 && m_trouble != Trouble::Locked)
            troubled(Trouble::Locked, QStringLiteral("another program holds its lock"));
        return;
    }
    m_retry->stop();
    const std::map<QString, QString> pending = std::exchange(m_pending, {});
    for (const auto& [key, value] : pending)
        write(key, value);
    if (m_trouble == Trouble::Locked) {
        m_trouble = Trouble::None;
        m_problem.clear();
    }
}

bool SettingsStore::write(const QString& key, const QString& value) {
    OwnerOnlyUmask ownerOnly;  // also for the lock file the write makes beside the file
    bool written = restrictToOwner();
    m_settings->setValue(section + u'/' + key, value);
    m_settings->sync();
    // A format error is the old text's, which this write replaced.
    written = written && m_settings->status() != QSettings::AccessError && restrictToOwner();
    if (!written)
        troubled(Trouble::Unwritable, unwritableReason(fileName()));
    else if (m_trouble == Trouble::Unreadable)
        m_trouble = Trouble::None;  // written over: kept from now on
    return written;
}

void SettingsStore::troubled(Trouble trouble, const QString& why) {
    m_trouble = trouble;
    m_problem = why;
    if (m_tell)
        m_tell();
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
