// The decoder's interface: initialisation common to all layers, frame dispatch, the output
// description and the equalizer accessors.
#include "mp3player/compo/decoder/decoder.h"

#include <algorithm>
#include <cstring>

#include "mp3player/compo/decoder/decoder_state.h"
#include "mp3player/compo/decoder/layer12.h"
#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/routines.h"

namespace {

// Layer initialisations by layer_code: 1 Layer III, 2 Layer II, 3 Layer I. A layer without an
// entry is refused.
const TMPLayerInit kLayerInits[4] = {nullptr, MPLayer3Init, MPLayer2Init, MPLayer1Init};

// Subbands decoded: enough for `freq_limit`, at most 31 at full rate (subband 31 lies above
// 20 kHz at every rate and is never decoded), 15 at half and 8 at quarter rate.
int32_t BandLimit(int32_t rate, int32_t freq_limit, int32_t reduction) {
  const int32_t wanted = (freq_limit * 64 + rate / 2) / rate;
  int32_t ceiling = 32 >> reduction;
  if (ceiling > 8) --ceiling;
  return std::min(wanted, ceiling);
}

}  // namespace

int32_t MPDecodeInit(const TMPAudioHeader& header, int32_t frame_bytes, int32_t reduction_code,
                     int32_t /*transform_code*/, int32_t convert_code, int32_t freq_limit) {
  TMPDecoderState& s = MPState;
  s.decode_frame = nullptr;
  if (header.sync_kind < 1 || header.sync_kind > 2 || (header.sync_kind == 2 && header.id == 1))
    return 0;
  if (header.layer_code < 1 || header.layer_code > 3 || !kLayerInits[header.layer_code]) return 0;
  const int32_t rate = MPSampleRateHz(header.id, header.sync_kind, header.sampling_frequency);
  if (rate <= 0) return 0;
  // A decoder whose slots were never filled still decodes, with the generic forms.
  if (!MPRoutines.window_mono) MPSelectCpuRoutines(0);

  s.frame_bytes = frame_bytes;
  s.reduction = std::clamp(reduction_code, 0, 2);
  s.convert = convert_code;
  s.freq_limit = std::max(freq_limit, 1000);
  s.sample_rate = rate;
  s.band_limit = BandLimit(rate, s.freq_limit, s.reduction);
  s.stream_channels = header.mode == 3 ? 1 : 2;
  s.channels = (s.stream_channels == 1 || (convert_code & 3) != 0) ? 1 : 2;
  s.bits = (convert_code & 8) ? 8 : 16;
  s.silent_value = s.bits == 8 ? 0x80 : 0;
  return kLayerInits[header.layer_code](header);
}

void MPSetSamplesPerChannel(int32_t samples) {
  TMPDecoderState& s = MPState;
  s.values_per_frame = (samples >> s.reduction) * s.channels;
  s.pcm_bytes = s.values_per_frame * s.bits / 8;
  s.half_pcm_bytes = s.pcm_bytes / 2;
}

void MPWriteSilence(uint8_t* pcm) { std::memset(pcm, MPState.silent_value, MPState.pcm_bytes); }

// Decimates or narrows full-rate 16-bit PCM to the requested output form.
void MPConvertOutput(const int16_t* full, int32_t full_values, uint8_t* pcm) {
  const TMPDecoderState& st = MPState;
  const int32_t channels = st.channels;
  const int32_t step = 1 << st.reduction;
  int32_t out = 0;
  for (int32_t i = 0; i < full_values / channels; i += step) {
    for (int32_t c = 0; c < channels; ++c) {
      const int16_t v = full[i * channels + c];
      if (st.bits == 8) {
        pcm[out++] = static_cast<uint8_t>((v >> 8) + 128);
      } else {
        std::memcpy(pcm + 2 * out++, &v, 2);
      }
    }
  }
}

void MPGetDecodeInfo(TMPDecodeInfo& info) {
  const TMPDecoderState& s = MPState;
  info.channels = s.channels;
  info.values_per_frame = s.values_per_frame;
  info.sample_rate = s.sample_rate >> s.reduction;
  info.bits_per_sample = s.bits;
  info.frame_bytes = s.frame_bytes;
  info.type = 0;
}

TMPDecodeResult MPDecodeFrame(const uint8_t* bytes, uint8_t* pcm) {
  if (!MPState.decode_frame) return {};
  return MPState.decode_frame(bytes, pcm);
}

TMPRelaxed<float>* MPSubbandGain(int32_t i) { return &MPState.subband_gain[std::clamp(i, 0, 31)]; }
TMPRelaxed<float>* MPFreqGain(int32_t i) { return &MPState.freq_gain[std::clamp(i, 0, 575)]; }
TMPRelaxed<int32_t>* MPSubbandEqEnabled() { return &MPState.subband_eq_on; }
TMPRelaxed<int32_t>* MPFreqEqEnabled() { return &MPState.freq_eq_on; }
