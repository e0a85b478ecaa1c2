#include "Measure.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <numeric>
#include <sys/resource.h>

double NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1.0e6;
}

double ThreadCpuMs() {
    timespec used;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
    return used.tv_sec * 1000.0 + used.tv_nsec / 1.0e6;
}

long ThreadPageFaults() {
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

Summary Summarise(std::vector<double> samples) {
    Summary summary;
    summary.count = samples.size();
    if (samples.empty()) {
        return summary;
    }
    summary.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / samples.size();
    std::sort(samples.begin(), samples.end());
    size_t middle = samples.size() / 2;
    summary.median =
        samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
    return summary;
}

long StatusKb(const std::string& statusText, const std::string& field) {
    // Each line reads "Field:<spaces>value kB"; the colon keeps VmRSS from matching VmRSSx.
    std::string key = field + ":";
    size_t at = 0;
    while (at < statusText.size()) {
        size_t end = statusText.find('\n', at);
        if (end == std::string::npos) {
            end = statusText.size();
        }
        if (statusText.compare(at, key.size(), key) == 0) {
            std::string value = statusText.substr(at + key.size(), end - at - key.size());
            char* rest = nullptr;
            long kb = std::strtol(value.c_str(), &rest, 10);
            return rest == value.c_str() ? -1 : kb;
        }
        at = end + 1;
    }
    return -1;
}

long OwnStatusKb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return StatusKb(text, field);
}
