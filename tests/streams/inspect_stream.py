#!/usr/bin/env python3
"""Summarise the headers of an MPEG-1/MPEG-2 video elementary stream.

Used by make-corpus.sh to prove that each corpus stream really contains the coding
tools it is meant to cover (a coding option an encoder silently ignores would leave
a hole in the tests). Reads sequence, GOP, picture and extension headers, every slice
header, and the modes of the first macroblock of each slice (the only macroblock
that can be found without decoding coefficients), which samples the motion types.

Prints one key=value per line.
"""
import collections
import sys


class Bits:
    def __init__(self, data, pos):
        self.data = data
        self.bit = pos * 8

    def u(self, n):
        value = 0
        for _ in range(n):
            byte = self.data[self.bit >> 3] if (self.bit >> 3) < len(self.data) else 0
            value = (value << 1) | ((byte >> (7 - (self.bit & 7))) & 1)
            self.bit += 1
        return value

    def peek(self, n):
        saved = self.bit
        value = self.u(n)
        self.bit = saved
        return value


# (code bits, code length) -> (motion_forward, motion_backward, pattern, intra, quant)
P_TYPES = {
    ('1'): (1, 0, 1, 0, 0), ('01'): (0, 0, 1, 0, 0), ('001'): (1, 0, 0, 0, 0),
    ('00011'): (0, 0, 0, 1, 0), ('00010'): (1, 0, 1, 0, 1), ('00001'): (0, 0, 1, 0, 1),
    ('000001'): (0, 0, 0, 1, 1),
}
B_TYPES = {
    ('10'): (1, 1, 0, 0, 0), ('11'): (1, 1, 1, 0, 0), ('010'): (0, 1, 0, 0, 0),
    ('011'): (0, 1, 1, 0, 0), ('0010'): (1, 0, 0, 0, 0), ('0011'): (1, 0, 1, 0, 0),
    ('00011'): (0, 0, 0, 1, 0), ('00010'): (1, 1, 1, 0, 1), ('000011'): (1, 0, 1, 0, 1),
    ('000010'): (0, 1, 1, 0, 1), ('000001'): (0, 0, 0, 1, 1),
}
I_TYPES = {('1'): (0, 0, 0, 1, 0), ('01'): (0, 0, 0, 1, 1)}
FRAME_MOTION = {1: 'field', 2: 'frame', 3: 'dualprime'}
FIELD_MOTION = {1: 'field', 2: '16x8', 3: 'dualprime'}
PROFILES = {1: 'High', 2: 'SpatiallyScalable', 3: 'SNRScalable', 4: 'Main', 5: 'Simple'}
LEVELS = {4: 'High', 6: 'High1440', 8: 'Main', 10: 'Low'}


def read_vlc(bits, table):
    code = ''
    while len(code) < 6:
        code += str(bits.u(1))
        if code in table:
            return table[code]
    return None


def start_codes(data):
    i = data.find(b'\x00\x00\x01')
    while i >= 0 and i + 3 < len(data):
        yield i + 3, data[i + 3]
        i = data.find(b'\x00\x00\x01', i + 3)


def main(path):
    data = open(path, 'rb').read()
    c = collections.Counter()
    seq = {}
    pic = {}
    seen = collections.defaultdict(set)
    types = []
    for pos, code in start_codes(data):
        b = Bits(data, pos + 1)
        if code == 0xB3:
            c['sequence_headers'] += 1
            seq['width'] = b.u(12)
            seq['height'] = b.u(12)
            seen['aspect_ratio_information'].add(b.u(4))
            seen['frame_rate_code'].add(b.u(4))
            b.u(18)
            b.u(1)
            b.u(10)
            b.u(1)
            if b.u(1):
                c['load_intra_quantiser_matrix'] += 1
                b.u(8 * 64)
            if b.u(1):
                c['load_non_intra_quantiser_matrix'] += 1
            seq['mpeg2'] = seq.get('mpeg2', 0)
        elif code == 0xB8:
            c['gops'] += 1
            b.u(25)
            closed = b.u(1)
            c['closed_gops' if closed else 'open_gops'] += 1
            if b.u(1):
                c['broken_links'] += 1
        elif code == 0xB7:
            c['sequence_end_codes'] += 1
        elif code == 0x00:
            b.u(10)
            ptype = b.u(3)
            types.append('?IPBD'[ptype] if ptype < 5 else '?')
            pic = {'type': ptype, 'structure': 3, 'frame_pred_frame_dct': 1, 'ext': False}
            c['pictures'] += 1
        elif code == 0xB5:
            ext = b.u(4)
            if ext == 1:
                seq['mpeg2'] = 1
                b.u(1)
                profile, level = b.u(3), b.u(4)
                seen['profile'].add(PROFILES.get(profile, str(profile)))
                seen['level'].add(LEVELS.get(level, str(level)))
                seen['progressive_sequence'].add(b.u(1))
                seen['chroma_format'].add(b.u(2))
            elif ext == 2:
                c['sequence_display_extensions'] += 1
            elif ext == 3:
                c['quant_matrix_extensions'] += 1
                for name in ('intra', 'non_intra', 'chroma_intra', 'chroma_non_intra'):
                    if b.u(1):
                        c['qmx_load_' + name] += 1
                        b.u(8 * 64)
            elif ext == 8:
                pic['ext'] = True
                seen['f_code'].add((b.u(4), b.u(4), b.u(4), b.u(4)))
                seen['intra_dc_precision'].add(8 + b.u(2))
                pic['structure'] = b.u(2)
                seen['picture_structure'].add(pic['structure'])
                tff = b.u(1)
                pic['frame_pred_frame_dct'] = b.u(1)
                seen['frame_pred_frame_dct'].add(pic['frame_pred_frame_dct'])
                seen['concealment_motion_vectors'].add(b.u(1))
                pic['q_scale_type'] = b.u(1)
                seen['q_scale_type'].add(pic['q_scale_type'])
                seen['intra_vlc_format'].add(b.u(1))
                seen['alternate_scan'].add(b.u(1))
                rff = b.u(1)
                b.u(1)
                progressive_frame = b.u(1)
                seen['progressive_frame'].add(progressive_frame)
                seen['top_field_first'].add(tff)
                c['repeat_first_field'] += rff
                if rff:
                    c['rff_tff%d' % tff] += 1
        elif 0x01 <= code <= 0xAF and pic:
            c['slices'] += 1
            if seq.get('height', 0) > 2800:
                b.u(3)
            qcode = b.u(5)
            seen['slice_quantiser_scale_code'].add(qcode)
            if b.u(1):
                b.u(1 + 1 + 7)
                while b.u(1):
                    b.u(8)
            if b.peek(1) != 1:   # first macroblock not at the start of its row: skip
                continue
            b.u(1)
            table = {1: I_TYPES, 2: P_TYPES, 3: B_TYPES}.get(pic['type'])
            if table is None:
                continue
            mode = read_vlc(b, table)
            if mode is None:
                c['unparsed_macroblock_types'] += 1
                continue
            fwd, bwd, pattern, intra, quant = mode
            if intra:
                c['first_mb_intra'] += 1
            if quant:
                c['first_mb_quant'] += 1
            if (fwd or bwd) and pic['ext']:
                if pic['structure'] == 3 and pic['frame_pred_frame_dct'] == 0:
                    c['first_mb_frame_motion_' + FRAME_MOTION.get(b.u(2), 'reserved')] += 1
                elif pic['structure'] != 3:
                    c['first_mb_field_motion_' + FIELD_MOTION.get(b.u(2), 'reserved')] += 1
                else:
                    c['first_mb_frame_motion_frame'] += 1
    for key in ('width', 'height', 'mpeg2'):
        print('%s=%s' % (key, seq.get(key, 0)))
    for key in sorted(c):
        print('%s=%d' % (key, c[key]))
    for key in sorted(seen):
        print('%s=%s' % (key, ','.join(str(v) for v in sorted(seen[key], key=str))))
    print('coded_types=' + ''.join(types))


if __name__ == '__main__':
    main(sys.argv[1])
