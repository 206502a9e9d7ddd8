#!/usr/bin/env python3
"""Estimate the quantised AC levels of the first (intra) picture of a stream.

inspect_stream.py does not decode coefficients, so it cannot see escape codes. This
recovers them from the decoded picture instead: the forward DCT of each reconstructed
8x8 luma block gives back the dequantised coefficients (up to rounding and clipping),
and with the default intra matrix and a known quantiser scale the level of each AC
coefficient follows. Table B-14 has no code for a level above 40, so any such level
was sent with an escape.

usage: intra_levels.py STREAM WIDTH HEIGHT QUANTISER_SCALE
prints: max_intra_ac_level=N and escaped_intra_ac_levels=M (levels above 40, counted
with a margin for rounding and clipping: above 44).
"""
import math
import subprocess
import sys

DEFAULT_INTRA = [
    8, 16, 19, 22, 26, 27, 29, 34,
    16, 16, 22, 24, 27, 29, 34, 37,
    19, 22, 26, 27, 29, 34, 34, 38,
    22, 22, 26, 27, 29, 34, 37, 40,
    22, 26, 27, 29, 32, 35, 40, 48,
    26, 27, 29, 32, 35, 40, 48, 58,
    26, 27, 29, 34, 38, 46, 56, 69,
    27, 29, 35, 38, 46, 56, 69, 83,
]

BASIS = [[(math.sqrt(0.5) if u == 0 else 1.0) * math.cos((2 * x + 1) * u * math.pi / 16) / 2
          for x in range(8)] for u in range(8)]


def dct_8x8(block):
    rows = [[sum(BASIS[u][x] * block[y][x] for x in range(8)) for u in range(8)] for y in range(8)]
    return [[sum(BASIS[v][y] * rows[y][u] for y in range(8)) for u in range(8)] for v in range(8)]


def main(path, width, height, qscale):
    luma = subprocess.run(['ffmpeg', '-v', 'error', '-idct', 'xvid', '-i', path, '-frames:v', '1',
                           '-f', 'rawvideo', '-'],
                          check=True, capture_output=True).stdout[:width * height]
    largest = 0
    escaped = 0
    for by in range(0, height - 7, 8):
        for bx in range(0, width - 7, 8):
            block = [luma[(by + y) * width + bx: (by + y) * width + bx + 8] for y in range(8)]
            coeffs = dct_8x8(block)
            for v in range(8):
                for u in range(8):
                    if u == 0 and v == 0:
                        continue
                    # Intra dequantisation: F = level * W * quantiser_scale / 16.
                    level = abs(coeffs[v][u]) * 16 / (DEFAULT_INTRA[v * 8 + u] * qscale)
                    largest = max(largest, level)
                    escaped += level > 44
    print('max_intra_ac_level=%d' % round(largest))
    print('escaped_intra_ac_levels=%d' % escaped)


if __name__ == '__main__':
    main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]))
