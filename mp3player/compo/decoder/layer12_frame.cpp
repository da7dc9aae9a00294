#include "mp3player/compo/decoder/layer12_frame.h"

#include <algorithm>

#include "mp3player/compo/decoder/layer12_bit_reader.h"

namespace {

constexpr int kMaxSubbands = 32;
constexpr int kNoClass = -1;

// Allocation of one frame. In Layer II `quant` is the quantisation class (kNoClass for none);
// in Layer I it is the allocation value (0 for none). Subbands from the joint-stereo bound on
// carry one set of samples for both channels, scaled by each channel's own factors.
struct TFrameAllocation {
  int bound = 0;
  int8_t quant[kMaxSubbands][2] = {};
  float factor[kMaxSubbands][2][3] = {};  // Layer I uses the first of the three.
  int64_t skipped_bits = 0;  // Bits of one granule (or slot) in the subbands not decoded.
};

// How the samples of one subband and channel are coded.
struct TSampleCode {
  int bits = 0;                        // Bits of one code word.
  int centre = 0;                      // Subtracted from each ungrouped code.
  const float (*groups)[3] = nullptr;  // Grouped code word -> its three centred values.
};

// A decoded subband and channel that has samples in the frame, in the order they are read.
struct TSampleSource {
  TSampleCode code;
  int position = 0;             // Start of its row: (channel * 32 + subband) * row slots.
  bool shared = false;          // The right channel (32 rows on) takes the same values.
  const float* factor[2] = {};  // Per receiving channel: the factors of the three parts.
};

struct TSampleSources {
  TSampleSource source[2 * kMaxSubbands];
  int count = 0;
};

constexpr int kRightChannel = kMaxSubbands * kMPLayer12RowSlots;

int JointBound(int mode, int mode_extension, int subbands) {
  return mode == 1 ? std::min(4 * (mode_extension + 1), subbands) : subbands;
}

int Decoded(const TMPLayer12Stream& stream) { return std::min(stream.subbands, stream.band_limit); }

// Channels that carry their own allocation and samples in subband `sb`.
int OwnChannels(const TMPLayer12Stream& stream, const TFrameAllocation& a, int sb) {
  return sb < a.bound ? stream.channels : 1;
}

// Reads the rest of the header after the sync for the joint-stereo bound.
void ReadHeader(TMPLayer12BitReader& bits, const TMPLayer12Stream& stream, TFrameAllocation& a) {
  bits.Skip(3);  // id and layer
  const bool crc = bits.Read(1) == 0;
  bits.Skip(6);  // bit rate and sampling frequency
  bits.Skip(2);  // padding and private bits
  const int mode = static_cast<int>(bits.Read(2));
  const int mode_extension = static_cast<int>(bits.Read(2));
  bits.Skip(4 + (crc ? 16 : 0));  // copyright, original, emphasis; the CRC is not checked
  a.bound = stream.channels == 2 ? JointBound(mode, mode_extension, stream.subbands) : 0;
}

// Lists the decoded subbands and channels that have an allocation; `code` gives the coding of
// an allocation, or bits 0 for none.
template <typename TCodeOf>
void ListSources(const TMPLayer12Stream& stream, const TFrameAllocation& a, TCodeOf code,
                 TSampleSources& sources) {
  sources.count = 0;
  for (int sb = 0; sb < Decoded(stream); ++sb) {
    const int own = OwnChannels(stream, a, sb);
    for (int ch = 0; ch < own; ++ch) {
      const TSampleCode c = code(a.quant[sb][ch]);
      if (c.bits == 0) continue;
      TSampleSource& s = sources.source[sources.count++];
      s.code = c;
      s.position = (ch * kMaxSubbands + sb) * kMPLayer12RowSlots;
      s.shared = own < stream.channels;
      s.factor[0] = a.factor[sb][ch];
      s.factor[1] = a.factor[sb][1];
    }
  }
}

// Reads `kCount` (1, or 3 for a Layer II granule) centred sample values of one source.
template <int kCount>
void ReadValues(TMPLayer12BitReader& bits, const TSampleCode& code, float* value) {
  if (code.groups) {
    const float* group = code.groups[bits.Read(code.bits)];
    std::copy(group, group + 3, value);
    return;
  }
  if constexpr (kCount == 1) {
    value[0] = static_cast<float>(static_cast<int>(bits.Read(code.bits)) - code.centre);
    return;
  }
  // All the codes at once: at most three of 16 bits.
  const uint64_t codes = bits.Read(kCount * code.bits);
  const uint64_t mask = (uint64_t{1} << code.bits) - 1;
  for (int i = 0; i < kCount; ++i) {
    const int shift = (kCount - 1 - i) * code.bits;
    value[i] = static_cast<float>(static_cast<int>((codes >> shift) & mask) - code.centre);
  }
}

// Reads one granule of `kSlots` consecutive slots (3 in Layer II, 1 in Layer I) from slot
// `first` on, scaled by the factors of `part`, then skips the bits of the subbands not decoded.
template <int kSlots>
void ReadGranule(TMPLayer12BitReader& bits, const TSampleSources& sources, int part,
                 int64_t skipped_bits, float* samples, int first) {
  for (int n = 0; n < sources.count; ++n) {
    const TSampleSource& s = sources.source[n];
    float value[3];
    ReadValues<kSlots>(bits, s.code, value);
    float* out = samples + s.position + first;
    const float factor = s.factor[0][part];
    for (int i = 0; i < kSlots; ++i) out[i] = value[i] * factor;
    if (s.shared) {
      const float right = s.factor[1][part];
      for (int i = 0; i < kSlots; ++i) out[kRightChannel + i] = value[i] * right;
    }
  }
  bits.Skip(skipped_bits);
}

// ---- Layer II ----

TSampleCode Layer2Code(int quant) {
  if (quant == kNoClass) return {};
  const TMPQuantClass& q = kMPQuantClasses[quant];
  if (!q.grouped) return {q.bits, (q.levels - 1) / 2, nullptr};
  const TMPLayer12Tables& t = MPLayer12Tables();
  return {q.bits, 0, q.levels == 3 ? t.group3 : q.levels == 5 ? t.group5 : t.group9};
}

// Bits of one granule's three samples.
int TripleBits(int quant) {
  const TSampleCode code = Layer2Code(quant);
  return code.groups ? code.bits : 3 * code.bits;
}

void ReadLayer2Allocation(TMPLayer12BitReader& bits, const TMPLayer12Stream& stream,
                          TFrameAllocation& a) {
  std::fill(&a.quant[0][0], &a.quant[0][0] + 2 * kMaxSubbands, kNoClass);
  int sb = 0;
  for (int g = 0; g < stream.alloc->groups; ++g) {
    const TMPLayer2AllocGroup& group = stream.alloc->group[g];
    for (int i = 0; i < group.count; ++i, ++sb) {
      const int own = OwnChannels(stream, a, sb);
      for (int ch = 0; ch < own; ++ch) a.quant[sb][ch] = group.classes[bits.Read(group.bits)];
      if (own < stream.channels) a.quant[sb][1] = a.quant[sb][0];
      if (sb >= Decoded(stream))
        for (int ch = 0; ch < own; ++ch) a.skipped_bits += TripleBits(a.quant[sb][ch]);
    }
  }
}

// Scale factor selection, then the scale factors themselves, combined with the class steps.
void ReadLayer2ScaleFactors(TMPLayer12BitReader& bits, const TMPLayer12Stream& stream,
                            TFrameAllocation& a) {
  int selection[kMaxSubbands][2] = {};
  for (int sb = 0; sb < stream.subbands; ++sb)
    for (int ch = 0; ch < stream.channels; ++ch)
      if (a.quant[sb][ch] != kNoClass) selection[sb][ch] = static_cast<int>(bits.Read(2));
  const TMPLayer12Tables& t = MPLayer12Tables();
  for (int sb = 0; sb < stream.subbands; ++sb) {
    for (int ch = 0; ch < stream.channels; ++ch) {
      const int quant = a.quant[sb][ch];
      if (quant == kNoClass) continue;
      int index[3];
      index[0] = static_cast<int>(bits.Read(6));
      switch (selection[sb][ch]) {
        case 0:  // one per part
          index[1] = static_cast<int>(bits.Read(6));
          index[2] = static_cast<int>(bits.Read(6));
          break;
        case 1:  // the first serves parts 1 and 2
          index[1] = index[0];
          index[2] = static_cast<int>(bits.Read(6));
          break;
        case 2:  // one for all three parts
          index[1] = index[2] = index[0];
          break;
        default:  // the second serves parts 2 and 3
          index[1] = index[2] = static_cast<int>(bits.Read(6));
          break;
      }
      for (int p = 0; p < 3; ++p)
        a.factor[sb][ch][p] = t.layer2_step[quant] * t.scale_factor[index[p]];
    }
  }
}

// Clears the first `slots` slots of the rows that no source writes in this frame; the sources
// write every slot of theirs.
void ClearSilentRows(const TMPLayer12Stream& stream, const TSampleSources& sources, int slots,
                     float* samples) {
  bool written[2 * kMaxSubbands] = {};
  for (int n = 0; n < sources.count; ++n) {
    const int row = sources.source[n].position / kMPLayer12RowSlots;
    written[row] = true;
    if (sources.source[n].shared) written[row + kMaxSubbands] = true;
  }
  for (int row = 0; row < stream.channels * kMaxSubbands; ++row) {
    if (!written[row]) std::fill_n(samples + row * kMPLayer12RowSlots, slots, 0.0f);
  }
}

// Three parts of four granules of three slots; each part has its own scale factors.
void ReadLayer2Samples(TMPLayer12BitReader& bits, const TMPLayer12Stream& stream,
                       const TFrameAllocation& a, float* samples) {
  TSampleSources sources;
  ListSources(stream, a, Layer2Code, sources);
  ClearSilentRows(stream, sources, kMPLayer2Slots, samples);
  for (int granule = 0; granule < 12; ++granule)
    ReadGranule<3>(bits, sources, granule / 4, a.skipped_bits, samples, 3 * granule);
}

// ---- Layer I ----

// Allocation a codes each sample in a + 1 bits.
TSampleCode Layer1Code(int alloc) {
  if (alloc == 0) return {};
  return {alloc + 1, (1 << alloc) - 1, nullptr};
}

void ReadLayer1Allocation(TMPLayer12BitReader& bits, const TMPLayer12Stream& stream,
                          TFrameAllocation& a) {
  for (int sb = 0; sb < kMaxSubbands; ++sb) {
    const int own = OwnChannels(stream, a, sb);
    for (int ch = 0; ch < own; ++ch) a.quant[sb][ch] = static_cast<int8_t>(bits.Read(4));
    if (own < stream.channels) a.quant[sb][1] = a.quant[sb][0];
    if (sb >= Decoded(stream))
      for (int ch = 0; ch < own; ++ch) a.skipped_bits += Layer1Code(a.quant[sb][ch]).bits;
  }
}

void ReadLayer1ScaleFactors(TMPLayer12BitReader& bits, const TMPLayer12Stream& stream,
                            TFrameAllocation& a) {
  const TMPLayer12Tables& t = MPLayer12Tables();
  for (int sb = 0; sb < kMaxSubbands; ++sb)
    for (int ch = 0; ch < stream.channels; ++ch)
      if (const int alloc = a.quant[sb][ch]; alloc != 0)
        a.factor[sb][ch][0] = t.layer1_step[alloc] * t.scale_factor[bits.Read(6)];
}

void ReadLayer1Samples(TMPLayer12BitReader& bits, const TMPLayer12Stream& stream,
                       const TFrameAllocation& a, float* samples) {
  TSampleSources sources;
  ListSources(stream, a, Layer1Code, sources);
  ClearSilentRows(stream, sources, kMPLayer1Slots, samples);
  for (int slot = 0; slot < kMPLayer1Slots; ++slot)
    ReadGranule<1>(bits, sources, 0, a.skipped_bits, samples, slot);
}

// The bytes of the frame that may be read: the length its own header gives with the padding
// (the caller holds the whole frame), or for free format the stream's length.
int32_t ReadableBytes(const uint8_t* frame, int32_t in_bytes) {
  TMPAudioHeader own;
  const int32_t own_length = MPParseHeader(frame, 0, own);
  return own_length > 0 ? own_length + MPPaddingBytes(own) : in_bytes;
}

}  // namespace
bool MPLayer12Setup(TMPLayer12Stream& stream, const TMPAudioHeader& header, int frame_bytes,
                    int band_limit) {
  // Layers I and II have no MPEG-2.5 form: its frames would all be refused for their sync.
  if (header.sync_kind != 1 || header.sampling_frequency < 0 || header.sampling_frequency > 2)
    return false;
  TMPLayer12Stream s;
  s.layer = header.layer_code == 3 ? 1 : 2;
  s.channels = header.mode == 3 ? 1 : 2;
  if (s.layer == 2) {
    const int table = MPLayer2AllocTableFor(header.id, header.mode, header.sampling_frequency,
                                            header.bitrate_index);
    if (table < 0) return false;
    s.alloc = kMPLayer2AllocTables[table];
    s.subbands = s.alloc->subbands;
  } else {
    s.subbands = kMaxSubbands;
  }
  s.band_limit = std::clamp(band_limit, 0, s.subbands);
  s.frame_bytes = frame_bytes;
  stream = s;
  return true;
}

int32_t MPLayer12ReadFrame(const TMPLayer12Stream& stream, const uint8_t* frame, float* samples) {
  if (frame[0] != 0xFF || (frame[1] & 0xF0) != 0xF0) return 0;
  const int padding_unit = stream.layer == 1 ? 4 : 1;
  const int32_t in_bytes = stream.frame_bytes + ((frame[2] >> 1) & 1) * padding_unit;
  TMPLayer12BitReader bits(frame, frame + ReadableBytes(frame, in_bytes));
  bits.Skip(12);  // sync
  TFrameAllocation a;
  ReadHeader(bits, stream, a);
  if (stream.layer == 1) {
    ReadLayer1Allocation(bits, stream, a);
    ReadLayer1ScaleFactors(bits, stream, a);
    ReadLayer1Samples(bits, stream, a, samples);
  } else {
    ReadLayer2Allocation(bits, stream, a);
    ReadLayer2ScaleFactors(bits, stream, a);
    ReadLayer2Samples(bits, stream, a, samples);
  }
  return in_bytes;
}
