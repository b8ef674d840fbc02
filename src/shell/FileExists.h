#pragma once
#include <QString>

namespace tw {

// True when the path's date and time of last change can be read. Any path
// the file system refuses (missing, empty, malformed) counts as missing;
// this never fails.
bool FileExists(const QString& path);

}
