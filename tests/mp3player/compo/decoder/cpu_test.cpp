// Processor flag words for given processor descriptions, and the variant selection table.
#include <gtest/gtest.h>

#include <cstring>

#include "mp3player/compo/decoder/cpu.h"
#include "mp3player/compo/decoder/routines.h"

namespace {

TMPCpuDescription Cpu(const char* vendor, uint32_t family, uint32_t edx, uint32_t extended) {
  TMPCpuDescription cpu;
  std::memcpy(cpu.vendor_ecx, vendor, 5);
  cpu.leaf1_eax = family << 8;
  cpu.leaf1_edx = edx;
  cpu.extended_edx = extended;
  return cpu;
}

constexpr uint32_t kMmx = 1u << 23, kCmov = 1u << 15, kSse = 1u << 25;
constexpr uint32_t k3DNow = 1u << 31, kE3DNow = 1u << 30, kAmdMmx = 1u << 22;

TEST(CpuFlags, IntelFamily6WithMmxCmovSse) {
  const int32_t flags = MPCpuFlagsFromDescription(Cpu("ntel", 6, kMmx | kCmov | kSse, 0));
  EXPECT_EQ(flags, 0x1 | 0x2 | 0x8 | 0x10 | 0x40 | 0x100 | 0x400000);
  const TMPCpuVariantChoice c = MPChooseCpuVariants(flags);
  EXPECT_EQ(c.window_mono, mcvPentiumPro);
  EXPECT_EQ(c.window_stereo, mcvPentiumPro);
  EXPECT_EQ(c.alias, mcvGeneric);
  EXPECT_EQ(c.hybrid, mcvPentium);
  EXPECT_EQ(c.imdct36, mcvPentium);
  EXPECT_EQ(c.imdct12, mcvPentium);

  // The player with every extension switched off keeps vendor and family.
  const TMPCpuVariantChoice off = MPChooseCpuVariants(flags & ~kMPCpuExtensions);
  EXPECT_EQ(off.window_mono, mcvPentium);
  EXPECT_EQ(off.hybrid, mcvPentium);
  EXPECT_EQ(off.imdct36, mcvPentium);
}

TEST(CpuFlags, AmdWithout3DNowFallsBackToGenericForms) {
  const int32_t flags =
      MPCpuFlagsFromDescription(Cpu("cAMD", 6, kMmx | kCmov, k3DNow | kE3DNow | kAmdMmx));
  EXPECT_EQ(flags & 0xFFFF, 0x1 | 0x2 | 0x4 | 0x10 | 0x20 | 0x40 | 0x200);
  const TMPCpuVariantChoice all = MPChooseCpuVariants(flags);
  EXPECT_EQ(all.window_mono, mcvExtended3DNow);
  EXPECT_EQ(all.alias, mcvExtended3DNow);
  EXPECT_EQ(all.hybrid, mcvExtended3DNow);

  const int32_t user = MPCpuSetToFlags(63 & ~2);  // mcc3DNow switched off.
  const TMPCpuVariantChoice c = MPChooseCpuVariants((flags & ~kMPCpuExtensions) | (flags & user));
  for (TMPCpuVariant v : {c.alias, c.window_mono, c.window_stereo, c.hybrid, c.imdct36, c.imdct12})
    EXPECT_EQ(v, mcvGeneric);
}

// The vector forms go by what the processor can do: a current AMD processor (SSE, no 3DNow!)
// gets them as an Intel one does, and switching KNI off gives the generic forms on both.
TEST(CpuForms, FollowCapabilitiesWhateverTheMaker) {
  const TMPRoutineForm widest = !kMPBuildHasSse2 ? mrfGeneric
                                : MPHasAvx2Fma() ? mrfAvx2Fma
                                                 : mrfSse2;
  for (const char* vendor : {"cAMD", "ntel", "xxxx"}) {
    const int32_t flags = MPCpuFlagsFromDescription(Cpu(vendor, 25, kMmx | kCmov | kSse, kAmdMmx));
    EXPECT_EQ(MPChooseRoutineForm(flags), widest) << vendor;
    EXPECT_EQ(MPChooseRoutineForm(flags & ~kMPCpuKni), mrfGeneric) << vendor;
    const int32_t none = MPCpuSetToFlags(0);
    MPSelectCpuRoutines((flags & ~kMPCpuExtensions) | none);
    EXPECT_EQ(MPRoutines.dct, MPSynthDctGeneric) << vendor;
    EXPECT_EQ(MPRoutines.alias, MPAliasGeneric) << vendor;
    EXPECT_NE(MPDescribeInstalledRoutines().find("synthesis DCT: generic"), std::string::npos);
  }
  MPSelectCpuRoutines(0);
}

TEST(CpuFlags, Family4AndOldProcessors) {
  EXPECT_EQ(MPCpuFlagsFromDescription(Cpu("ntel", 4, kMmx | kCmov, k3DNow)),
            0x1 | 0x100 | 0x100000);
  EXPECT_EQ(MPCpuFlagsFromDescription(Cpu("xxxx", 15, 0, 0)), 0x1 | 0x8000 | 0x400000);
  EXPECT_EQ(MPCpuFlagsFromDescription(Cpu("tead", 5, kMmx, 0)), 0x1 | 0x2 | 0x400 | 0x200000);
  TMPCpuDescription no_cpuid;
  no_cpuid.has_cpuid = false;
  EXPECT_EQ(MPCpuFlagsFromDescription(no_cpuid), 0x1 | 0x100 | 0x100000);
  no_cpuid.division_keeps_flags = true;
  EXPECT_EQ(MPCpuFlagsFromDescription(no_cpuid), 0x1 | 0x400 | 0x100000);
  TMPCpuDescription i386;
  i386.alignment_check = false;
  EXPECT_EQ(MPCpuFlagsFromDescription(i386), 0x1);
  TMPCpuDescription no_fpu;
  no_fpu.fpu_works = false;
  EXPECT_EQ(MPCpuFlagsFromDescription(no_fpu), 0);
}

TEST(CpuFlags, SetConversionIsBitwiseBothWays) {
  EXPECT_EQ(MPCpuSetToFlags(63), kMPCpuExtensions);
  EXPECT_EQ(MPCpuSetToFlags(1 << 3), kMPCpuE3DNow);
  EXPECT_EQ(MPCpuSetToFlags(1 << 4), kMPCpuCmov);
  EXPECT_EQ(MPCpuFlagsToSet(kMPCpuExtensions | kMPCpuIntel | kMPCpuFpu), 63);
  for (int32_t set = 0; set < 64; ++set) EXPECT_EQ(MPCpuFlagsToSet(MPCpuSetToFlags(set)), set);
}

TEST(CpuFlags, DetectionIsCachedAndSelectionFillsEverySlot) {
  const int32_t flags = MPDetectCpu();
  EXPECT_NE(flags & kMPCpuFpu, 0);
  EXPECT_EQ(MPDetectCpu(), flags);
  MPSelectCpuRoutines(flags);
  EXPECT_NE(MPRoutines.alias, nullptr);
  EXPECT_NE(MPRoutines.window_mono, nullptr);
  EXPECT_NE(MPRoutines.window_stereo, nullptr);
  EXPECT_NE(MPRoutines.hybrid, nullptr);
  EXPECT_NE(MPRoutines.imdct36, nullptr);
  EXPECT_NE(MPRoutines.imdct12, nullptr);
  MPSelectCpuRoutines(0);
  EXPECT_EQ(MPRoutines.window_mono, MPWindowMonoGeneric);
  EXPECT_EQ(MPRoutines.hybrid, MPHybridGeneric);
}

}  // namespace
