#include "transfer/StateFiles.h"
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

QString systemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The folder and every folder above it that is missing; the program's own
// folder only the user may enter, whatever the umask.
QString makeFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        return QStringLiteral("its folder %1 could not be made").arg(folder);
    if (::chmod(QFile::encodeName(folder).constData(), 0700) != 0)
        return folder + QStringLiteral(": ") + systemReason();
    return {};
}

}

QString stateFolder() {
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    return (state.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/state") : state) + QStringLiteral("/tablewright");
}

QString writeStateFile(const QString& name, const QByteArray& bytes, bool append) {
    if (QString problem = makeFolder(stateFolder()); !problem.isEmpty())
        return problem;
    const QString file = stateFolder() + u'/' + name;
    // A whole file goes in under a name of its own and then takes the
    // file's place, so that a reader never finds half of it.
    const QString written = append ? file : file + QStringLiteral(".new");
    const int fd = ::open(QFile::encodeName(written).constData(),
                          O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0600);
    if (fd < 0)
        return written + QStringLiteral(": ") + systemReason();
    // One write, so that two programs' entries do not interleave.
    bool done = ::fchmod(fd, 0600) == 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    QString problem = done ? QString() : written + QStringLiteral(": ") + systemReason();
    ::close(fd);
    if (done && !append && ::rename(QFile::encodeName(written).constData(), QFile::encodeName(file).constData()) != 0)
        problem = file + QStringLiteral(": ") + systemReason();
    return problem;
}

}
