// Layer III scale factors: the MPEG-1 decoding with scale factor selection (scfsi) and the
// MPEG-2 decoding of the 9-bit scalefac_compress, including the intensity-coded right channel.
#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/tables_data.h"

namespace {

void ReadLong(const uint8_t* base, int32_t& pos, TMPScaleFactors& sf, int32_t first, int32_t end,
              int32_t slen) {
  for (int32_t b = first; b < end; ++b) sf.l[b] = MPReadBits(base, pos, slen);
}

void ReadShort(const uint8_t* base, int32_t& pos, TMPScaleFactors& sf, int32_t first, int32_t end,
               int32_t slen) {
  for (int32_t b = first; b < end; ++b) {
    for (int32_t w = 0; w < 3; ++w) sf.s[w][b] = MPReadBits(base, pos, slen);
  }
}

void Mpeg1(const uint8_t* base, int32_t& pos, int32_t granule, int32_t channel) {
  TMPLayer3State& s = MPL3;
  const TMPGranuleInfo& gi = s.granule[granule][channel];
  TMPScaleFactors& sf = s.scalefactors[channel];
  const int32_t slen1 = kMPSlen[0][gi.scalefac_compress & 15];
  const int32_t slen2 = kMPSlen[1][gi.scalefac_compress & 15];
  if (gi.block_type == 2) {
    if (gi.mixed_block_flag) {
      ReadLong(base, pos, sf, 0, 8, slen1);
      ReadShort(base, pos, sf, 3, 6, slen1);
    } else {
      ReadShort(base, pos, sf, 0, 6, slen1);
    }
    ReadShort(base, pos, sf, 6, 12, slen2);
    for (int32_t w = 0; w < 3; ++w) sf.s[w][12] = 0;
    return;
  }
  // Groups of long bands; in granule 1 a set scfsi bit keeps granule 0's values.
  static constexpr int32_t kGroupStart[5] = {0, 6, 11, 16, 21};
  for (int32_t group = 0; group < 4; ++group) {
    if (granule == 1 && (s.scfsi[channel] & (8 >> group))) continue;
    ReadLong(base, pos, sf, kGroupStart[group], kGroupStart[group + 1], group < 2 ? slen1 : slen2);
  }
  sf.l[21] = 0;
  sf.l[22] = 0;
}

}  // namespace

int32_t MPLayer3Mpeg2Slen(int32_t compress, bool intensity_right, int32_t slen[4],
                          int32_t& preflag) {
  preflag = 0;
  slen[3] = 0;
  if (intensity_right) {
    const int32_t x = compress >> 1;
    if (x < 180) {
      slen[0] = x / 36;
      slen[1] = (x % 36) / 6;
      slen[2] = x % 6;
      return 3;
    }
    if (x < 244) {
      const int32_t y = x - 180;
      slen[0] = (y % 64) >> 4;
      slen[1] = (y % 16) >> 2;
      slen[2] = y % 4;
      return 4;
    }
    const int32_t y = x - 244;
    slen[0] = y / 3;
    slen[1] = y % 3;
    slen[2] = 0;
    return 5;
  }
  if (compress < 400) {
    slen[0] = (compress >> 4) / 5;
    slen[1] = (compress >> 4) % 5;
    slen[2] = (compress & 15) >> 2;
    slen[3] = compress & 3;
    return 0;
  }
  if (compress < 500) {
    const int32_t x = compress - 400;
    slen[0] = (x >> 2) / 5;
    slen[1] = (x >> 2) % 5;
    slen[2] = x & 3;
    return 1;
  }
  const int32_t x = compress - 500;
  slen[0] = x / 3;
  slen[1] = x % 3;
  slen[2] = 0;
  preflag = 1;
  return 2;
}

namespace {

void Mpeg2(const uint8_t* base, int32_t& pos, int32_t granule, int32_t channel) {
  TMPLayer3State& s = MPL3;
  TMPGranuleInfo& gi = s.granule[granule][channel];
  TMPScaleFactors& sf = s.scalefactors[channel];
  const bool intensity_right = channel == 1 && (s.mode_extension & 1);
  int32_t slen[4];
  const int32_t table = MPLayer3Mpeg2Slen(gi.scalefac_compress, intensity_right, slen, gi.preflag);
  const int32_t kind = gi.block_type != 2 ? 0 : gi.mixed_block_flag ? 2 : 1;
  const uint8_t* counts = kMPNrOfSfb[table][kind];
  TMPIntensityLayout& is = s.intensity;
  if (intensity_right) is.intensity_scale = gi.scalefac_compress & 1;

  int32_t long_band = 0;
  int32_t short_band = kind == 2 ? 3 : 0;
  for (int32_t group = 0; group < 4; ++group) {
    int32_t values = counts[group];
    const int32_t first_long = long_band;
    if (kind == 0 || (kind == 2 && group == 0)) {
      // Long bands: one value each (the first six of a mixed block).
      const int32_t longs = kind == 0 ? values : 6;
      ReadLong(base, pos, sf, long_band, long_band + longs, slen[group]);
      long_band += longs;
      values -= longs;
    }
    const int32_t shorts = kind == 0 ? 0 : values / 3;
    ReadShort(base, pos, sf, short_band, short_band + shorts, slen[group]);
    short_band += shorts;
    if (intensity_right) {
      const int32_t illegal = (1 << slen[group]) - 1;
      for (int32_t b = first_long; b < long_band; ++b) is.long_illegal[b] = illegal;
      for (int32_t b = short_band - shorts; b < short_band; ++b) is.short_illegal[b] = illegal;
    }
  }
  for (int32_t b = long_band; b < 23; ++b) sf.l[b] = 0;
  for (int32_t b = short_band; b < 13; ++b) {
    for (int32_t w = 0; w < 3; ++w) sf.s[w][b] = 0;
  }
}

}  // namespace

void MPLayer3ScaleFactors(const uint8_t* base, int32_t& bit_pos, int32_t granule, int32_t channel) {
  if (MPL3.lsf_scalefactors) {
    Mpeg2(base, bit_pos, granule, channel);
  } else {
    Mpeg1(base, bit_pos, granule, channel);
  }
}
