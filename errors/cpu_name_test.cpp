// Processor-name decoding from hand-made identification results.
#include "errors/cpu_name.h"

#include <gtest/gtest.h>

namespace errors {
namespace {

constexpr uint32_t kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26;

CpuProbe family(uint32_t fam, uint32_t edx = 0) {
    CpuProbe p;
    p.hasCpuid = true;
    p.maxLeaf = 2;
    p.leaf1Eax = fam << 8;
    p.leaf1Edx = edx;
    p.leaf2 = {0x00000001u, 0, 0, 0};  // one round of descriptors, none of note
    return p;
}

TEST(CpuNameTest, ProcessorsWithoutIdentificationInstruction) {
    CpuProbe p;
    EXPECT_EQ(cpuNameFrom(p), "386");
    p.alignCheckToggles = true;
    EXPECT_EQ(cpuNameFrom(p), "486");
}

TEST(CpuNameTest, NoLeafOneOrUnknownFamilyFails) {
    CpuProbe p = family(6, kMmx | kSse2);
    p.maxLeaf = 0;
    EXPECT_EQ(cpuNameFrom(p), "GetCPU() failed!");
    EXPECT_EQ(cpuNameFrom(family(15, kMmx | kSse | kSse2)), "GetCPU() failed!");
    EXPECT_EQ(cpuNameFrom(family(3)), "GetCPU() failed!");
}

TEST(CpuNameTest, BrandIndexWinsOverFamily) {
    CpuProbe p = family(15);
    p.leaf1Ebx = 0x12340008;  // only the low byte is the brand index
    EXPECT_EQ(cpuNameFrom(p), "Intel Pentium IV");
    p.leaf1Ebx = 3;
    EXPECT_EQ(cpuNameFrom(p), "Intel Pentium III Xeon");
    p.leaf1Ebx = 4;  // not a known index: decoded by family
    EXPECT_EQ(cpuNameFrom(p), "GetCPU() failed!");
}

TEST(CpuNameTest, FamiliesFourAndFive) {
    EXPECT_EQ(cpuNameFrom(family(4)), "486");
    EXPECT_EQ(cpuNameFrom(family(5)), "Pentium classic");
    EXPECT_EQ(cpuNameFrom(family(5, kMmx)), "Pentium MMX");
}

TEST(CpuNameTest, FamilySixByFeaturesAndCache) {
    EXPECT_EQ(cpuNameFrom(family(6)), "Pentium Pro");
    EXPECT_EQ(cpuNameFrom(family(6, kMmx | kSse | kSse2)), "Pentium IV");
    EXPECT_EQ(cpuNameFrom(family(6, kMmx | kSse)), "Pentium III");
    EXPECT_EQ(cpuNameFrom(family(6, kMmx)), "Pentium II");

    CpuProbe celeron3 = family(6, kMmx | kSse);
    celeron3.leaf2[2] = 0x00410000;  // descriptor 41 in ECX
    EXPECT_EQ(cpuNameFrom(celeron3), "(PIII core) Celeron");
    CpuProbe celeron2 = family(6, kMmx);
    celeron2.leaf2[0] = 0x79000001;  // descriptor 79 in EAX's top byte
    EXPECT_EQ(cpuNameFrom(celeron2), "(PII core) Celeron");
}

TEST(CpuNameTest, CacheTestIgnoresCountByteAndInvalidRegisters) {
    CpuProbe p = family(6, kMmx);
    p.leaf2[0] = 0x00000040;  // AL is the repeat count, not a descriptor
    EXPECT_EQ(cpuNameFrom(p), "Pentium II");
    p.leaf2[1] = 0x80000040;  // bit 31 set: the register holds no descriptors
    EXPECT_EQ(cpuNameFrom(p), "Pentium II");
}

}  // namespace
}  // namespace errors
