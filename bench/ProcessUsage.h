#pragma once

namespace bench {

// Resident memory of this process in bytes, read from /proc/self/status.
long long residentBytes();
long long peakResidentBytes();  // VmHWM
// Starts the peak over from the current resident size (Linux 4.0 on).
bool resetPeakResident();

}
