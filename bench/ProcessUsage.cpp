#include "ProcessUsage.h"
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <fstream>
#include <string>

namespace bench {

namespace {
long long statusKilobytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stoll(line.substr(key.size() + 1));
    return -1;
}
}

long long residentBytes() { return statusKilobytes("VmRSS") * 1024; }
long long peakResidentBytes() { return statusKilobytes("VmHWM") * 1024; }

bool resetPeakResident() {
    malloc_trim(0);  // what an earlier run freed no longer counts as resident
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void waitForDiskWrites() { ::sync(); }

}
