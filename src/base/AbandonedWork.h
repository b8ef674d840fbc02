#pragma once

namespace tw {

// Work left running on another thread when the program stopped waiting for
// it: a driver call that hangs, or an operation still inside one. The
// program ends without waiting for such work, nor unloading what it runs in.
void noteAbandonedWork();
int abandonedWork();

}
