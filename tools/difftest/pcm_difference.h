// How far decoded PCM lies from a reference: RMS and largest difference in LSB over the samples
// both have. Full accuracy is an RMS below 0.29 LSB and no difference above 2 LSB.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

struct TPcmDifference {
  double rms = 0;
  int largest = 0;
  bool FullAccuracy() const { return rms < 0.29 && largest <= 2; }
};

inline TPcmDifference Difference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  TPcmDifference d;
  const size_t n = std::min(a.size(), b.size());
  double squares = 0;
  for (size_t i = 0; i < n; ++i) {
    const int e = a[i] - b[i];
    squares += double(e) * e;
    d.largest = std::max(d.largest, std::abs(e));
  }
  d.rms = n ? std::sqrt(squares / double(n)) : 0;
  return d;
}
