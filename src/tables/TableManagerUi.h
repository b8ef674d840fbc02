#pragma once
#include "connect/ConnectionProfile.h"
#include "shell/MousePointer.h"
#include "base/Prompts.h"
#include "base/Yield.h"
#include "tables/ProgressBar.h"
#include "tables/TableList.h"
#include "tables/TransferPanel.h"

namespace tw {

// What the table manager's operations see of the program: the two lists,
// the progress bar, the window's pointer, the prompts, the yield, the
// connection window's fields, and the transfers' Stop and account.
struct TableManagerUi {
    TableList& List1;  // MySQL tables
    TableList& List2;  // Sybase iAnywhere tables
    ProgressBar& ProgressBar1;
    MousePointer& pointer;
    Prompts& prompts;
    Yield& yield;
    const ProfileFields& profile;
    TransferPanel& transfer;
};

}
