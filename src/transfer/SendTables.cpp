#include "transfer/SendTables.h"
#include "transfer/Transfer.h"

namespace tw {

void PushButton3_Click(TableManagerUi& ui) { transferTables(toIAnywhere(), ui); }

void PushButton4_Click(TableManagerUi& ui) { transferTables(toMySql(), ui); }

}
