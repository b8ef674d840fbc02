#pragma once

namespace bench {

// What this process uses. Resident memory in bytes, read from
// /proc/self/status.
long long residentBytes();
long long peakResidentBytes();  // VmHWM
// Starts the peak over from the current resident size (Linux 4.0 on),
// after handing memory freed so far back to the system.
bool resetPeakResident();
// User and system CPU time so far, in seconds.
double cpuSeconds();
// Waits until the disk holds everything written so far, so that a timed run
// does not pay for writing back what the run before it left in the cache.
void waitForDiskWrites();

}
