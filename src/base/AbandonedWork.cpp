#include "base/AbandonedWork.h"
#include <atomic>

namespace tw {

namespace {
std::atomic<int> abandoned{0};
}

void noteAbandonedWork() { ++abandoned; }
int abandonedWork() { return abandoned.load(); }

}
