#ifndef ZORVAT_BENCH_MEASURE_H
#define ZORVAT_BENCH_MEASURE_H

#include <string>
#include <vector>

// Milliseconds of the monotonic clock, which all processes of the machine share.
double NowMs();

// Milliseconds of processor time that the calling thread has used.
double ThreadCpuMs();

// Page faults that the calling thread has met so far.
long ThreadPageFaults();

// Mean and median of a set of samples.
struct Summary {
    double mean = 0;
    double median = 0;
    size_t count = 0;
};

// Summarises samples; an empty set gives zeros.
Summary Summarise(std::vector<double> samples);

// The value in kB of a field such as "VmHWM" in the text of /proc/<pid>/status; -1 when absent.
long StatusKb(const std::string& statusText, const std::string& field);

// The value in kB of a field of this process's /proc/self/status; -1 when absent.
long OwnStatusKb(const std::string& field);

#endif
