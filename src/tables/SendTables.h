#pragma once
#include "tables/TableManagerUi.h"
#include "transfer/Transfer.h"
#include "transfer/TransferDirection.h"

namespace tw {

// A transfer as the table manager runs it: the tables selected in the
// direction's source list, bottom entry first, with the options the window
// shows; the lists, the bar, the pointer and the account show what it does.
void transferTables(const TransferDirection& direction, TableManagerUi& ui, StatementObserver* observer = nullptr);

// "Resume": the rest of the last transfer on these connections that ended
// early, as it was asked for.
void resumeTransfer(TableManagerUi& ui, StatementObserver* observer = nullptr);
inline void Resume_Click(TableManagerUi& ui) { resumeTransfer(ui); }

// "Send Table/s To Sybase iAny": the tables selected in List1 into the
// iAnywhere database.
void PushButton3_Click(TableManagerUi& ui);

// "Send Table/s To MySQL": the tables selected in List2 into MySQL.
void PushButton4_Click(TableManagerUi& ui);

}
