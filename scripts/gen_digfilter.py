#!/usr/bin/env python3
"""Writes the digital-filter table of Convera from its readable list.

usage: gen_digfilter.py SOURCE OUTPUT

SOURCE has one row per line, "decimation delay10 delay11 delay12": the
decimation factor (1 to 65535, each at most once) and the group delay of the
digital filter in points for firmware 10, 11 and 12; '#' starts a comment.
OUTPUT gets one 14-byte record per row, in the order of SOURCE: the
decimation as a little-endian unsigned 16-bit integer, then the three delays
as little-endian 32-bit IEEE floats. The library expects exactly 21 rows."""
import math
import os
import struct
import sys

ROWS = 21


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source, output = sys.argv[1], sys.argv[2]
    records, seen = [], set()
    with open(source, encoding='ascii') as f:
        for n, line in enumerate(f, 1):
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            try:
                if len(parts) != 4:
                    raise ValueError
                decim = int(parts[0])
                delays = [float(p) for p in parts[1:]]
            except ValueError:
                sys.exit('%s:%d: expected "decimation delay10 delay11 delay12"' % (source, n))
            if not 1 <= decim <= 65535 or decim in seen:
                sys.exit('%s:%d: bad or repeated decimation %d' % (source, n, decim))
            if any(not math.isfinite(d) or d < 0 for d in delays):
                sys.exit('%s:%d: delays must be finite and not negative' % (source, n))
            seen.add(decim)
            records.append(struct.pack('<H3f', decim, *delays))
    if len(records) != ROWS:
        sys.exit('%s: %d rows, expected %d' % (source, len(records), ROWS))
    data = b''.join(records)
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    if not os.path.exists(output) or open(output, 'rb').read() != data:
        with open(output, 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
