#pragma once
#include "connect/ConnectionProfile.h"
#include "transfer/TransferAccount.h"
#include "transfer/TransferRequest.h"
#include <QString>
#include <optional>
#include <vector>

namespace tw {

// What the last transfer that ended early left to do, kept beside the
// transfer log in $XDG_STATE_HOME/tablewright/resume.json (only the user
// may read it), so that the window or the command line can take it up,
// also after the program was closed. A transfer that runs to its end
// leaves none.
struct ResumeState {
    QString direction;    // "MySQL to iAnywhere"
    QString connections;  // both connections as the log names them, without the password
    TransferOptions options;
    std::vector<ResumeTable> tables;  // in the order they are copied

    static QString path();
    // The kept state; none when there is nothing to resume. Throws
    // std::runtime_error when the file cannot be read.
    static std::optional<ResumeState> load();
    // The kept state when it is for these connections; none otherwise.
    static std::optional<ResumeState> loadFor(const ProfileFields& profile);
    // The transfer that takes it up, on the connections of profile, which
    // hold the password.
    TransferRequest request(const ProfileFields& profile) const;
    // Empty when it was kept, else why not.
    QString save() const;
    static QString clear();
};

}
