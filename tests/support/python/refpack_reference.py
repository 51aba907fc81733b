#!/usr/bin/env python3
"""A second, independent RefPack decoder for the tests: written from the format, kept short
and slow on purpose. Usage: refpack_reference.py IN OUT [IN OUT ...]. A malformed stream
gives no OUT file."""
import sys


def decode(data: bytes) -> bytes:
    flags, magic = data[0], data[1]
    if magic != 0xFB or flags & 0x7E != 0x10:
        raise ValueError("no RefPack header")
    width = 4 if flags & 0x80 else 3
    pos = 2 + (width if flags & 0x01 else 0)
    size = int.from_bytes(data[pos:pos + width], "big")
    pos += width
    out = bytearray()
    while len(out) < size:
        b0 = data[pos]
        if b0 < 0x80:
            b1 = data[pos + 1]
            lit, n, dist, pos = b0 & 3, ((b0 >> 2) & 7) + 3, ((b0 & 0x60) << 3) + b1 + 1, pos + 2
        elif b0 < 0xC0:
            b1, b2 = data[pos + 1], data[pos + 2]
            lit, n, dist, pos = b1 >> 6, (b0 & 0x3F) + 4, ((b1 & 0x3F) << 8) + b2 + 1, pos + 3
        elif b0 < 0xE0:
            b1, b2, b3 = data[pos + 1], data[pos + 2], data[pos + 3]
            lit, n = b0 & 3, ((b0 & 0x0C) << 6) + b3 + 5
            dist, pos = ((b0 & 0x10) << 12) + (b1 << 8) + b2 + 1, pos + 4
        elif b0 < 0xFC:
            lit, n, dist, pos = ((b0 & 0x1F) + 1) * 4, 0, 0, pos + 1
        else:
            lit, n, dist, pos = b0 & 3, 0, 0, pos + 1
        if pos + lit > len(data):
            raise ValueError("ends early")
        out += data[pos:pos + lit]
        pos += lit
        if dist > len(out):
            raise ValueError("copies from before the start")
        for _ in range(n):
            out.append(out[-dist])
        if b0 >= 0xFC:
            break
    if len(out) != size:
        raise ValueError("size %d, declared %d" % (len(out), size))
    return bytes(out)


if __name__ == "__main__":
    for source, target in zip(sys.argv[1::2], sys.argv[2::2]):
        try:
            with open(source, "rb") as f:
                result = decode(f.read())
        except (ValueError, IndexError) as error:
            print("refpack_reference: %s: %s" % (source, error), file=sys.stderr)
            continue
        with open(target, "wb") as f:
            f.write(result)
