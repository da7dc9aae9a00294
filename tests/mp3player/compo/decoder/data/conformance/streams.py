#!/usr/bin/env python3
"""Frame surgery for the conformance test streams.

  streams.py splice OUT FILE:FIRST:COUNT...   writes COUNT frames of each FILE from frame FIRST on
  streams.py mixed IN OUT                     sets the mixed block flag of every Layer III start
                                              and stop granule (block types 1 and 3)

Frames are cut at the lengths their headers give; the files must hold nothing but frames.
"""
import sys

BITRATES = {  # (mpeg1, layer) -> kbit/s by index
    (True, 1): [0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
    (True, 2): [0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384],
    (True, 3): [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    (False, 1): [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256],
    (False, 2): [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
BITRATES[(False, 3)] = BITRATES[(False, 2)]
RATES = {3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000]}


def frames(data):
    pos = 0
    while pos + 4 <= len(data):
        b = data[pos:pos + 4]
        assert b[0] == 0xFF and b[1] & 0xE0 == 0xE0, f"no frame at {pos}"
        version, layer = (b[1] >> 3) & 3, 4 - ((b[1] >> 1) & 3)
        mpeg1 = version == 3
        kbps = BITRATES[(mpeg1, layer)][b[2] >> 4]
        rate = RATES[version][(b[2] >> 2) & 3]
        padding = (b[2] >> 1) & 1
        if layer == 1:
            length = (12000 * kbps // rate + padding) * 4
        else:
            length = (144000 if mpeg1 or layer == 2 else 72000) * kbps // rate + padding
        yield data[pos:pos + length]
        pos += length


def splice(out, parts):
    with open(out, "wb") as f:
        for part in parts:
            name, first, count = part.rsplit(":", 2)
            chosen = list(frames(open(name, "rb").read()))[int(first):int(first) + int(count)]
            assert len(chosen) == int(count), part
            f.write(b"".join(chosen))


class Bits:
    def __init__(self, data, pos):
        self.data, self.pos = data, pos

    def read(self, n):
        v = 0
        for _ in range(n):
            v = (v << 1) | ((self.data[self.pos >> 3] >> (7 - (self.pos & 7))) & 1)
            self.pos += 1
        return v


def set_mixed_flags(data):
    data = bytearray(data)
    pos = 0
    for frame in frames(bytes(data)):
        mpeg1 = (frame[1] >> 3) & 1
        channels = 1 if frame[3] >> 6 == 3 else 2
        bits = Bits(data, 8 * (pos + 4 + (0 if frame[1] & 1 else 2)))
        bits.read(9 if mpeg1 else 8)
        bits.read((5 if channels == 1 else 3) if mpeg1 else (1 if channels == 1 else 2))
        if mpeg1:
            bits.read(4 * channels)
        for _ in range(2 if mpeg1 else 1):
            for _ in range(channels):
                bits.read(12 + 9 + 8 + (4 if mpeg1 else 9))
                if bits.read(1):  # window switching
                    block_type = bits.read(2)
                    if block_type in (1, 3):
                        data[bits.pos >> 3] |= 0x80 >> (bits.pos & 7)
                    bits.read(1 + 10 + 9)
                else:
                    bits.read(15 + 7)
                bits.read(3 if mpeg1 else 2)
        pos += len(frame)
    return bytes(data)


if __name__ == "__main__":
    if sys.argv[1] == "splice":
        splice(sys.argv[2], sys.argv[3:])
    elif sys.argv[1] == "mixed":
        open(sys.argv[3], "wb").write(set_mixed_flags(open(sys.argv[2], "rb").read()))
    else:
        sys.exit(__doc__)
