#!/usr/bin/env python3
"""Builds the seed corpora of the fuzz targets from the committed streams.

usage: make-seeds.py <streams dir> <output dir>

Writes <output>/pes_parser, <output>/header_parser, <output>/decoder and
<output>/reader. Seeds are cut from tests/streams at run time so no copies are
committed.
"""
import os
import sys

# The decoder target's picture size cap (176x144) in macroblock rows, and the
# longest seed it is given.
DECODER_ROWS = 9
DECODER_SEED_BYTES = 12 * 1024

DECODER_CONTROLS = [
    # form/flags, output/connection, seed lo, seed hi, size class/settings, rate/flush
    bytes([0x20, 0x00, 0x01, 0x00, 0x02, 0x00]),  # elementary, YUY2, weave, 1-8192-byte samples
    bytes([0x05, 0x23, 0x02, 0x00, 0x01, 0x04]),  # PES with times, YV12 padded stride, flush half way
    bytes([0x16, 0x14, 0x03, 0x00, 0x03, 0x01]),  # pack, RGB32 interlaced output, progressive, rate 2
    bytes([0x5C, 0x08, 0x04, 0x00, 0x00, 0x08]),  # elementary 1-16 bytes, planar, double-rate bob, end half way
    bytes([0x20, 0x00, 0x06, 0x00, 0x02, 0x30]),  # YUY2; the renderer attaches a narrower type
    bytes([0x21, 0x00, 0x07, 0x00, 0x02, 0xA0]),  # PES, YUY2; the renderer switches to RGB32 with its own type
]


def start_codes(data):
    i = data.find(b"\x00\x00\x01")
    while i >= 0 and i + 3 < len(data):
        yield i, data[i + 3]
        i = data.find(b"\x00\x00\x01", i + 3)


def header_only(data):
    """Every unit that is not a slice, plus the first bytes of each picture's first slice."""
    out = bytearray()
    codes = list(start_codes(data)) + [(len(data), None)]
    in_slices = False
    for (at, code), (nxt, _) in zip(codes, codes[1:]):
        if 0x01 <= code <= 0xAF:
            if not in_slices:
                out += data[at:min(nxt, at + 8)]
            in_slices = True
        else:
            out += data[at:nxt]
            in_slices = False
    return bytes(out)


def first_pictures(data, pictures, limit):
    """The stream up to its (pictures+1)-th picture start code, at most limit bytes."""
    seen = 0
    for at, code in start_codes(data):
        if code == 0x00:
            seen += 1
            if seen > pictures:
                return data[:min(at, limit)]
    return data[:limit]


def top_rows(data, rows):
    """The stream without the slices below the first `rows` macroblock rows.

    The decoder target caps the picture size, so slices further down only take
    the error paths; cutting them keeps the seeds short, and short inputs fast.
    """
    out = bytearray()
    codes = list(start_codes(data)) + [(len(data), None)]
    for (at, code), (nxt, _) in zip(codes, codes[1:]):
        if not (rows < code <= 0xAF):
            out += data[at:nxt]
    return bytes(out)


def container_units(data):
    """Each pack and each PES packet of a program stream on its own."""
    units = []
    codes = [(at, code) for at, code in start_codes(data) if code >= 0xBA]
    for (at, code), nxt in zip(codes, [c[0] for c in codes[1:]] + [len(data)]):
        units.append(data[at:nxt])
    return units


def write(directory, name, payload):
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, name), "wb") as f:
        f.write(payload)


# The reader target's two option bytes (read size and chunk; transport packet
# identifier or the tables' choice) and the longest seed it is given.
READER_CONTROLS = [bytes([0x40, 0xFF]), bytes([0x87, 0xFF]), bytes([0x3F, 0x08])]
READER_SEED_BYTES = 6 * 1024


def main():
    streams, out = sys.argv[1], sys.argv[2]
    containers = sorted(n for n in os.listdir(streams) if n.endswith((".mpg", ".vob", ".ts", ".m2ts")))
    for n in containers + ["prog420_cgop.m2v"]:
        if not os.path.exists(os.path.join(streams, n)):
            continue
        with open(os.path.join(streams, n), "rb") as f:
            data = f.read(READER_SEED_BYTES)
        for k, control in enumerate(READER_CONTROLS):
            write(os.path.join(out, "reader"), "%s_%d" % (n.replace(".", "_"), k), control + data)
    names = sorted(n for n in os.listdir(streams) if n.endswith((".m2v", ".m1v", ".mpg")))
    for n in names:
        with open(os.path.join(streams, n), "rb") as f:
            data = f.read()
        stem = os.path.splitext(n)[0]
        if n.endswith(".mpg"):
            units = container_units(data)
            for k, u in enumerate(units[:24]):
                write(os.path.join(out, "pes_parser"), "%s_%03d" % (stem, k), u)
            write(os.path.join(out, "decoder"), stem + "_demuxed",
                  bytes([0x23, 0x00, 0x05, 0x00, 0x02, 0x00]) + data[:DECODER_SEED_BYTES])
            write(os.path.join(out, "header_parser"), stem, b"\xff" + header_only(data[:64 * 1024]))
            continue
        write(os.path.join(out, "pes_parser"), stem + "_es", data[:256])
        headers = header_only(data)
        for selector in (0x00, 0x07, 0xFF):
            write(os.path.join(out, "header_parser"), "%s_%02x" % (stem, selector), bytes([selector]) + headers)
        cut = first_pictures(top_rows(data, DECODER_ROWS), 3, DECODER_SEED_BYTES)
        for k, control in enumerate(DECODER_CONTROLS):
            write(os.path.join(out, "decoder"), "%s_%d" % (stem, k), control + cut)


if __name__ == "__main__":
    main()
