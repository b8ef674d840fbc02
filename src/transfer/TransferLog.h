#pragma once
#include "transfer/TransferAccount.h"
#include "transfer/TransferRequest.h"
#include <QString>

namespace tw {

// Every transfer's account, kept after the window closes or the command
// ends: its Details, with when it ran, both connections without their
// passwords, and its options, appended to
// $XDG_STATE_HOME/tablewright/transfers.log (~/.local/state when unset).
// Only the user may read the folder and the file.
class TransferLog {
public:
    static QString path();
    // Appends one entry; empty when it was written, else why not.
    static QString append(const TransferRequest& request, const TransferAccount& account);
    // True the first time it is asked in this process: a log that cannot
    // be written is told once, not after every transfer.
    static bool firstTrouble();
    // Both connections, a line each, without the password.
    static QString connections(const ProfileFields& profile);
    // The entry as it is written.
    static QString entry(const TransferRequest& request, const TransferAccount& account);
};

}
