#include "mp3player/compo/decoder/cpu.h"

#include <cstring>
#include <string>

#include "mp3player/compo/decoder/routines.h"

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define KORVA_X86 1
#include <xmmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#endif

namespace {

int32_t cached_flags = 0;
TMPCpuVariantChoice installed{};

int32_t VendorFlag(const char* ecx) {
  struct Vendor {
    const char* tail;
    int32_t flag;
  };
  static constexpr Vendor kVendors[] = {
      {"ntel", kMPCpuIntel}, {"cAMD", kMPCpuAmd}, {"tead", kMPCpuCyrix}, {"auls", kMPCpuCentaur}};
  for (const Vendor& v : kVendors) {
    if (std::strncmp(ecx, v.tail, 4) == 0) return v.flag;
  }
  return kMPCpuOtherVendor;
}

int32_t ExtensionFlags(uint32_t extended_edx, uint32_t leaf1_edx) {
  int32_t flags = 0;
  if (extended_edx & (1u << 31)) flags |= kMPCpu3DNow;
  if (extended_edx & (1u << 15)) flags |= kMPCpuCmov;
  if (extended_edx & (1u << 30)) flags |= kMPCpuE3DNow;
  if (extended_edx & (1u << 22)) flags |= kMPCpuEmmx;
  if (leaf1_edx & (1u << 23)) flags |= kMPCpuMmx;
  if (leaf1_edx & (1u << 15)) flags |= kMPCpuCmov;
  // SSE brings both the MMX extensions and KNI.
  if (leaf1_edx & (1u << 25)) flags |= kMPCpuEmmx | kMPCpuKni;
  return flags;
}

#ifdef KORVA_X86
void Cpuid(uint32_t leaf, uint32_t regs[4]) {
#if defined(_MSC_VER)
  int r[4];
  __cpuid(r, static_cast<int>(leaf));
  for (int i = 0; i < 4; ++i) regs[i] = static_cast<uint32_t>(r[i]);
#else
  __cpuid(leaf, regs[0], regs[1], regs[2], regs[3]);
#endif
}

// On the processors this builds for (x86 with SSE as part of the ABI) the FPU, the alignment
// check flag and CPUID are always present, so only the CPUID leaves need reading.
TMPCpuDescription ReadDescription() {
  TMPCpuDescription cpu;
  uint32_t regs[4];
  Cpuid(0, regs);
  std::memcpy(cpu.vendor_ecx, &regs[2], 4);
  cpu.vendor_ecx[4] = '\0';
  Cpuid(1, regs);
  cpu.leaf1_eax = regs[0];
  cpu.leaf1_edx = regs[3];
  Cpuid(0x80000000u, regs);
  if (regs[0] >= 0x80000001u) {
    Cpuid(0x80000001u, regs);
    cpu.extended_edx = regs[3];
  }
  return cpu;
}

// SSE needs the operating system's support; all exceptions masked and flush-to-zero on. A
// 64-bit or SSE2 ABI guarantees that support, so the load cannot fault here.
bool EnableSse() {
  _mm_setcsr(0x9F80);
  return true;
}
#else
TMPCpuDescription ReadDescription() {
  TMPCpuDescription cpu;
  std::memcpy(cpu.vendor_ecx, "????", 5);
  cpu.leaf1_eax = 6u << 8;
  return cpu;
}

bool EnableSse() { return false; }
#endif

// Installs `slot` in the widest of its forms up to `form` (a slot without an eight-lane form
// takes its four-lane one) and returns the form it got.
template <typename Fn>
TMPRoutineForm Install(Fn& slot, TMPRoutineForm form, Fn generic, Fn sse2, Fn avx2 = nullptr) {
  if (form == mrfAvx2Fma && avx2) {
    slot = avx2;
    return mrfAvx2Fma;
  }
  slot = form == mrfGeneric ? generic : sse2;
  return form == mrfGeneric ? mrfGeneric : mrfSse2;
}

// The slots in the order of installation, with the form each got last.
constexpr int32_t kSlots = 7;
constexpr const char* kSlotNames[kSlots] = {"alias reduction", "mono windowing", "stereo windowing",
                                            "hybrid filter",   "36-point IMDCT", "12-point IMDCT",
                                            "synthesis DCT"};
TMPRoutineForm installed_forms[kSlots] = {};

}  // namespace

int32_t MPCpuFlagsFromDescription(const TMPCpuDescription& cpu) {
  if (!cpu.fpu_works) return 0;
  int32_t flags = kMPCpuFpu;
  if (!cpu.alignment_check) return flags;
  if (!cpu.has_cpuid) {
    flags |= cpu.division_keeps_flags ? kMPCpuCyrix : kMPCpuIntel;
    return flags | kMPCpuFamily4;
  }
  flags |= VendorFlag(cpu.vendor_ecx);
  const uint32_t family = (cpu.leaf1_eax >> 8) & 0xFF;
  if (family == 4) return flags | kMPCpuFamily4;
  flags |= family == 5 ? kMPCpuFamily5 : kMPCpuFamily6;
  return flags | ExtensionFlags(cpu.extended_edx, cpu.leaf1_edx);
}

int32_t MPDetectCpu() {
  if (cached_flags != 0) return cached_flags;
  cached_flags = MPCpuFlagsFromDescription(ReadDescription());
  if ((cached_flags & kMPCpuKni) && !EnableSse()) cached_flags &= ~kMPCpuKni;
  return cached_flags;
}

int32_t MPCpuSetToFlags(int32_t set) {
  static constexpr int32_t kBits[6] = {kMPCpuMmx,    kMPCpu3DNow, kMPCpuKni,
                                       kMPCpuE3DNow, kMPCpuCmov,  kMPCpuEmmx};
  int32_t flags = 0;
  for (int i = 0; i < 6; ++i) {
    if (set & (1 << i)) flags |= kBits[i];
  }
  return flags;
}

int32_t MPCpuFlagsToSet(int32_t flags) {
  int32_t set = 0;
  for (int i = 0; i < 6; ++i) {
    if (flags & MPCpuSetToFlags(1 << i)) set |= 1 << i;
  }
  return set;
}

TMPCpuVariantChoice MPChooseCpuVariants(int32_t flags) {
  if (!(flags & kMPCpu3DNow)) flags &= ~kMPCpuE3DNow;
  const bool e3dnow = flags & kMPCpuE3DNow;
  const bool amd3dnow = flags & kMPCpu3DNow;
  const bool intel_p5p6 = (flags & kMPCpuIntel) && (flags & (kMPCpuFamily5 | kMPCpuFamily6));
  const bool cmov = flags & kMPCpuCmov;

  TMPCpuVariantChoice choice{};
  choice.alias = e3dnow ? mcvExtended3DNow : amd3dnow ? mcv3DNow : mcvGeneric;
  choice.window_mono = (e3dnow && (flags & kMPCpuEmmx)) ? mcvExtended3DNow
                       : amd3dnow                       ? mcv3DNow
                       : (intel_p5p6 && cmov)           ? mcvPentiumPro
                       : intel_p5p6                     ? mcvPentium
                                                        : mcvGeneric;
  choice.window_stereo = choice.window_mono;
  choice.hybrid = (e3dnow && cmov) ? mcvExtended3DNow : intel_p5p6 ? mcvPentium : mcvGeneric;
  choice.imdct36 = e3dnow ? mcvExtended3DNow : intel_p5p6 ? mcvPentium : mcvGeneric;
  choice.imdct12 = choice.imdct36;
  return choice;
}

TMPRoutineForm MPChooseRoutineForm(int32_t flags) {
  if (!kMPBuildHasSse2 || !(flags & kMPCpuKni)) return mrfGeneric;
  static const bool has_avx2 = MPHasAvx2Fma();
  return has_avx2 ? mrfAvx2Fma : mrfSse2;
}

const char* MPRoutineFormName(TMPRoutineForm form) {
  static constexpr const char* kNames[] = {"generic", "SSE2", "AVX2+FMA"};
  return kNames[form];
}

void MPSelectCpuRoutines(int32_t flags) {
  // The variant families of the selection table name processors of their time; the forms
  // installed follow what the processor can do, so that every maker's processors get them.
  installed = MPChooseCpuVariants(flags);
  const TMPRoutineForm form = MPChooseRoutineForm(flags);
  TMPRoutines& r = MPRoutines;
  TMPRoutineForm* got = installed_forms;
  got[0] = Install(r.alias, form, MPAliasGeneric, MPAliasFast);
  got[1] = Install(r.window_mono, form, MPWindowMonoGeneric, MPWindowMonoFast, MPWindowMonoAvx2);
  got[2] =
      Install(r.window_stereo, form, MPWindowStereoGeneric, MPWindowStereoFast, MPWindowStereoAvx2);
  got[3] = Install(r.hybrid, form, MPHybridGeneric, MPHybridFast, MPHybridAvx2);
  got[4] = Install(r.imdct36, form, MPImdct36Generic, MPImdct36Fast, MPImdct36Avx2);
  got[5] = Install(r.imdct12, form, MPImdct12Generic, MPImdct12Fast);
  got[6] = Install(r.dct, form, MPSynthDctGeneric, MPSynthDctSse2, MPSynthDctAvx2);
}

std::string MPDescribeInstalledRoutines() {
  std::string text;
  for (int32_t i = 0; i < kSlots; ++i) {
    text += std::string(kSlotNames[i]) + ": " + MPRoutineFormName(installed_forms[i]) + "\n";
  }
  return text;
}

TMPCpuVariantChoice MPInstalledCpuVariants() { return installed; }
