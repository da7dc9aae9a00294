# Shared by bench-decode/bench.sh and bench-player/bench.sh (sourced).
# music_source DIR SECONDS: writes DIR/source.wav, music-like stereo material (pink noise,
# different in the two channels, under a sweeping tone) at 44.1 kHz, SECONDS long.
music_source() {
  local dir=$1 seconds=$2
  sox -n -r 44100 -c 2 -b 16 "$dir/noise.wav" synth "$seconds" pinknoise pinknoise gain -16
  sox -n -r 44100 -c 2 -b 16 "$dir/tone.wav" synth "$seconds" sine 220-1760 sine 330-990 gain -10
  sox -m "$dir/noise.wav" "$dir/tone.wav" "$dir/source.wav"
}
