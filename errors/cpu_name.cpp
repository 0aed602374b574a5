// Processor name from CPUID: probing the processor and decoding the result.
#include "errors/cpu_name.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define ERRORS_HAVE_CPUID 1
#endif

namespace errors {
namespace {

constexpr uint32_t kMmxBit = 1u << 23;
constexpr uint32_t kSseBit = 1u << 25;
constexpr uint32_t kSse2Bit = 1u << 26;
constexpr const char* kFailed = "GetCPU() failed!";

// Celeron parts of the P6 family carry one of these cache descriptors
// (no second-level cache, or a 128 KB one) in leaf 2.
bool hasCeleronCache(const std::array<uint32_t, 4>& regs) {
    for (size_t r = 0; r < regs.size(); ++r) {
        if (regs[r] & 0x80000000u) continue;  // register holds no descriptors
        for (int b = 0; b < 4; ++b) {
            if (r == 0 && b == 0) continue;  // AL is the repeat count
            uint32_t d = (regs[r] >> (8 * b)) & 0xFF;
            if (d == 0x40 || d == 0x41 || d == 0x79) return true;
        }
    }
    return false;
}

const char* nameFromBrandIndex(uint32_t index) {
    switch (index) {
        case 1:
            return "Intel Celeron";
        case 2:
            return "Intel Pentium III";
        case 3:
            return "Intel Pentium III Xeon";
        case 8:
            return "Intel Pentium IV";
        default:
            return nullptr;
    }
}

std::string nameFromFamily6(const CpuProbe& p) {
    uint32_t edx = p.leaf1Edx;
    if (!(edx & kMmxBit)) return "Pentium Pro";
    if (edx & kSse2Bit) return "Pentium IV";
    bool celeron = hasCeleronCache(p.leaf2);
    if (edx & kSseBit) return celeron ? "(PIII core) Celeron" : "Pentium III";
    return celeron ? "(PII core) Celeron" : "Pentium II";
}

#if defined(ERRORS_HAVE_CPUID) && defined(__i386__)
// Whether bit 18 (alignment check) of EFLAGS can be flipped: it can on a
// 486 and later, not on a 386.
bool alignCheckToggles() {
    uint32_t before, after;
    __asm__ volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x40000, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl"
        : "=&r"(before), "=&r"(after));
    return ((before ^ after) & 0x40000) != 0;
}
#endif

}  // namespace

CpuProbe probeCpu() {
    CpuProbe p;
#if defined(ERRORS_HAVE_CPUID)
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d)) {
#if defined(__i386__)
        p.alignCheckToggles = alignCheckToggles();
#endif
        return p;
    }
    p.hasCpuid = true;
    p.maxLeaf = a;
    if (p.maxLeaf >= 1 && __get_cpuid(1, &a, &b, &c, &d)) {
        p.leaf1Eax = a;
        p.leaf1Ebx = b;
        p.leaf1Edx = d;
    }
    if (p.maxLeaf >= 2 && __get_cpuid(2, &a, &b, &c, &d)) p.leaf2 = {a, b, c, d};
#else
    // Not an x86 processor: neither 386 nor 486, so report it as unknown
    // the way a processor without leaf 1 is reported.
    p.hasCpuid = true;
#endif
    return p;
}

std::string cpuNameFrom(const CpuProbe& p) {
    if (!p.hasCpuid) return p.alignCheckToggles ? "486" : "386";
    if (p.maxLeaf < 1) return kFailed;
    if (const char* brand = nameFromBrandIndex(p.leaf1Ebx & 0xFF)) return brand;
    switch ((p.leaf1Eax >> 8) & 0xF) {
        case 4:
            return "486";
        case 5:
            return (p.leaf1Edx & kMmxBit) ? "Pentium MMX" : "Pentium classic";
        case 6:
            return nameFromFamily6(p);
        default:
            return kFailed;
    }
}

std::string GETCPU() {
    return cpuNameFrom(probeCpu());
}

}  // namespace errors
