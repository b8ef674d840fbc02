#include "shell/FileExists.h"
#include <QDateTime>
#include <QFileInfo>

namespace tw {

bool FileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

}
