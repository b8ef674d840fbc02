#pragma once
#include "tables/TableManagerUi.h"

namespace tw {

// "Send Table/s To Sybase iAny": the tables selected in List1 into the
// iAnywhere database.
void PushButton3_Click(TableManagerUi& ui);

// "Send Table/s To MySQL": the tables selected in List2 into MySQL.
void PushButton4_Click(TableManagerUi& ui);

}
