#pragma once
#include <QByteArray>
#include <QString>

namespace tw {

// The program's folder for what it keeps between runs:
// $XDG_STATE_HOME/tablewright (~/.local/state when unset).
QString stateFolder();

// Writes bytes into a file of that folder that only the user may read,
// making the folder, which only the user may enter, as needed; appended to
// the file, or in place of it. Empty when it was written, else why not.
QString writeStateFile(const QString& name, const QByteArray& bytes, bool append);

}
