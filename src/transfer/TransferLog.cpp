#include "transfer/TransferLog.h"
#include "transfer/TransferDirection.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

QString stateFolder() {
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    return state.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/state") : state;
}

QString systemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

QString onOff(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }

// The folder and every folder above it that is missing; the log's own
// folder only the user may enter, whatever the umask.
QString makeFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        return QStringLiteral("its folder %1 could not be made").arg(folder);
    if (::chmod(QFile::encodeName(folder).constData(), 0700) != 0)
        return folder + QStringLiteral(": ") + systemReason();
    return {};
}

}

bool TransferLog::firstTrouble() {
    static std::atomic<bool> told{false};
    return !told.exchange(true);
}

QString TransferLog::path() { return stateFolder() + QStringLiteral("/tablewright/transfers.log"); }

QString TransferLog::entry(const TransferRequest& request, const TransferAccount& account) {
    const ProfileFields& p = request.profile;
    const TransferOptions& o = request.options;
    QString text = QStringLiteral("=== ") + QDateTime::currentDateTimeUtc().toString(Qt::ISODate) + u'\n';
    text += QStringLiteral("MySQL: %1:%2, user %3, database %4\n")
                .arg(p.text(ProfileField::Server), p.text(ProfileField::Port), p.text(ProfileField::User),
                     p.text(ProfileField::Database));
    text += QStringLiteral("iAnywhere: data source %1\n").arg(p.text(ProfileField::DataSourceName));
    text += QStringLiteral("Options: fast copy %1, check %2, existing tables: %3")
                .arg(onOff(o.fastCopy), onOff(o.verifies),
                     o.existing == ExistingTable::Fail ? QStringLiteral("Fail") : existingTableKey(o.existing));
    if (!o.where.isEmpty())
        text += QStringLiteral(", rows where ") + o.where;
    return text + u'\n' + account.details() + u'\n';
}

QString TransferLog::append(const TransferRequest& request, const TransferAccount& account) {
    const QString file = path();
    if (QString problem = makeFolder(QFileInfo(file).path()); !problem.isEmpty())
        return problem;
    const QByteArray name = QFile::encodeName(file);
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return file + QStringLiteral(": ") + systemReason();
    // One write, so that two programs' entries do not interleave.
    const QByteArray bytes = entry(request, account).toUtf8();
    const bool written = ::fchmod(fd, 0600) == 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    const QString problem = written ? QString() : file + QStringLiteral(": ") + systemReason();
    ::close(fd);
    return problem;
}

}
