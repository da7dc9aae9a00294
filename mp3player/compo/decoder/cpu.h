// Processor capability detection and the decoder's processor-specific routine slots.
#pragma once

#include <cstdint>
#include <string>

// Bits of the capability flag word.
constexpr int32_t kMPCpuFpu = 0x1;
constexpr int32_t kMPCpuMmx = 0x2;
constexpr int32_t kMPCpu3DNow = 0x4;
constexpr int32_t kMPCpuKni = 0x8;
constexpr int32_t kMPCpuCmov = 0x10;
constexpr int32_t kMPCpuE3DNow = 0x20;
constexpr int32_t kMPCpuEmmx = 0x40;
constexpr int32_t kMPCpuIntel = 0x100;
constexpr int32_t kMPCpuAmd = 0x200;
constexpr int32_t kMPCpuCyrix = 0x400;
constexpr int32_t kMPCpuCentaur = 0x800;
constexpr int32_t kMPCpuOtherVendor = 0x8000;
constexpr int32_t kMPCpuFamily4 = 0x100000;
constexpr int32_t kMPCpuFamily5 = 0x200000;
constexpr int32_t kMPCpuFamily6 = 0x400000;
// The extension bits a user may switch off; vendor and family always come from detection.
constexpr int32_t kMPCpuExtensions =
    kMPCpuMmx | kMPCpu3DNow | kMPCpuKni | kMPCpuCmov | kMPCpuE3DNow | kMPCpuEmmx;

// What a processor reports about itself, as the detection reads it. Detection is split into
// reading this description and interpreting it so that the interpretation can be checked for
// processors other than the one running the tests.
struct TMPCpuDescription {
  bool fpu_works = true;        // The floating-point unit initialises with the expected words.
  bool alignment_check = true;  // EFLAGS bit 18 can be toggled (not a 386).
  bool has_cpuid = true;        // EFLAGS bit 21 can be toggled.
  bool division_keeps_flags = false;  // Without CPUID: the flags survive a division (Cyrix).
  char vendor_ecx[5] = "";            // The last four characters of the vendor string.
  uint32_t leaf1_eax = 0;
  uint32_t leaf1_edx = 0;
  uint32_t extended_edx = 0;  // Leaf 0x80000001 EDX, 0 when the leaf is missing.
};

// Interprets a processor description as the flag word (without the operating-system check).
int32_t MPCpuFlagsFromDescription(const TMPCpuDescription& cpu);

// Returns the cached flag word of this machine, detecting it on first use.
int32_t MPDetectCpu();

// Installs the routine forms for the flag word `flags` in the decoder's slots: the vector forms
// when the word has KNI (SSE) and the build and the processor have them, whatever the maker;
// the generic forms otherwise.
void MPSelectCpuRoutines(int32_t flags);

// Conversions between the player's capability set (bits 0..5: MMX, 3DNow!, KNI, extended
// 3DNow!, CMOV, extended MMX) and the flag word.
int32_t MPCpuSetToFlags(int32_t set);
int32_t MPCpuFlagsToSet(int32_t flags);

// The variant families a slot can hold.
enum TMPCpuVariant { mcvGeneric, mcvPentium, mcvPentiumPro, mcv3DNow, mcvExtended3DNow };

// The variant chosen for each slot, in the order of installation.
struct TMPCpuVariantChoice {
  TMPCpuVariant alias;
  TMPCpuVariant window_mono;
  TMPCpuVariant window_stereo;
  TMPCpuVariant hybrid;
  TMPCpuVariant imdct36;
  TMPCpuVariant imdct12;
};

// The selection table: which variant each slot takes for the flag word `flags`.
TMPCpuVariantChoice MPChooseCpuVariants(int32_t flags);

// The selection of the last MPSelectCpuRoutines call.
TMPCpuVariantChoice MPInstalledCpuVariants();

// The forms a routine can take in this build: plain C++, four lanes (SSE2), eight lanes with
// fused multiply-add (AVX2 and FMA).
enum TMPRoutineForm { mrfGeneric, mrfSse2, mrfAvx2Fma };

// The widest form this machine and build offer for the flag word `flags`. The vector forms
// depend only on what the processor can do: KNI switched off (or missing) gives the generic
// forms on every processor.
TMPRoutineForm MPChooseRoutineForm(int32_t flags);

// "generic", "SSE2" or "AVX2+FMA".
const char* MPRoutineFormName(TMPRoutineForm form);

// The forms installed by the last MPSelectCpuRoutines call, one line per slot ("alias
// reduction: SSE2"), for reports.
std::string MPDescribeInstalledRoutines();
