#ifndef PROCESSMEMORY_H
#define PROCESSMEMORY_H

// This process's memory as the kernel counts it, for the benchmarks.
class ProcessMemory
{
public:
    // Resident now (VmRSS), in MB; -1 when it cannot be read.
    static double residentMegabytes();
    // Highest resident since start or the last reset of the peak (VmHWM), in MB.
    static double peakMegabytes();

private:
    static double field(const char *name);
};

#endif
