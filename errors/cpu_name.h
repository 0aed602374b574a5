// Processor name for the error report, read from the processor's
// identification instruction (CPUID) and decoded into the family names the
// report has always used.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace errors {

// What the identification instruction told us. Filled by probeCpu(); tests
// build it by hand to reach every branch of the decoder.
struct CpuProbe {
    bool hasCpuid = false;            // the identification instruction exists
    bool alignCheckToggles = false;   // AC flag of EFLAGS can be changed (486+)
    uint32_t maxLeaf = 0;             // leaf 0, EAX
    uint32_t leaf1Eax = 0;            // family/model/stepping
    uint32_t leaf1Ebx = 0;            // low byte: brand index
    uint32_t leaf1Edx = 0;            // feature bits
    std::array<uint32_t, 4> leaf2{};  // cache descriptors, EAX EBX ECX EDX
};

// Reads the running processor. On a processor without the instruction (or a
// non-x86 build) hasCpuid is false.
CpuProbe probeCpu();

// Decodes a probe into the report's processor name ("Pentium IV",
// "(PIII core) Celeron", "GetCPU() failed!", ...).
std::string cpuNameFrom(const CpuProbe& probe);

// The running processor's name: cpuNameFrom(probeCpu()).
std::string GETCPU();

}  // namespace errors
