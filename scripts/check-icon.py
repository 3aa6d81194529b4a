#!/usr/bin/env python3
"""Checks the application icon: python3 scripts/check-icon.py ICO

Exits non-zero unless the file holds exactly 48/32/16 px in both 32-bit and
8-bit, with directory entries, offsets and DIB headers that agree.
"""
import struct
import sys

WANTED = {(s, bpp) for s in (48, 32, 16) for bpp in (32, 8)}


def check(data):
    errors = []
    if len(data) < 6:
        return ['file too short for an icon header']
    reserved, kind, count = struct.unpack_from('<HHH', data)
    if reserved != 0 or kind != 1:
        errors.append(f'not an icon: reserved={reserved} type={kind}')
    if count != 6:
        errors.append(f'{count} images, want 6')
    end_of_dir = 6 + 16 * count
    if len(data) < end_of_dir:
        return errors + ['directory runs past the end of the file']

    found = []
    spans = []
    for i in range(count):
        w, h, colours, res, planes, bpp, nbytes, off = struct.unpack_from(
            '<BBBBHHII', data, 6 + 16 * i)
        where = f'image {i}'
        w, h = w or 256, h or 256
        found.append((w, bpp))
        if w != h:
            errors.append(f'{where}: not square ({w}x{h})')
        if colours != 0 or res != 0:
            errors.append(f'{where}: bColorCount={colours} bReserved={res}')
        if planes != 1:
            errors.append(f'{where}: wPlanes={planes}')
        if off < end_of_dir or off + nbytes > len(data):
            errors.append(f'{where}: bytes {off}..{off + nbytes} outside data')
            continue
        spans.append((off, off + nbytes, i))
        errors += [f'{where}: {e}' for e in check_dib(data[off:off + nbytes],
                                                      w, bpp)]

    if sorted(found) != sorted(WANTED):
        errors.append(f'images {sorted(found)}, want {sorted(WANTED)}')
    spans.sort()
    for (_, end_a, a), (start_b, _, b) in zip(spans, spans[1:]):
        if start_b < end_a:
            errors.append(f'images {a} and {b} overlap')
    if len(spans) == count and spans and spans[-1][1] != len(data):
        errors.append(f'{len(data) - spans[-1][1]} stray bytes at the end')
    return errors


def check_dib(dib, size, bpp):
    if len(dib) < 40:
        return ['DIB shorter than its header']
    (hsize, width, height, planes, bits, compression, image_size,
     _, _, used, _) = struct.unpack_from('<IiiHHIIiiII', dib)
    errors = []
    if hsize != 40:
        errors.append(f'header size {hsize}, want 40')
    if width != size or height != 2 * size:
        errors.append(f'DIB {width}x{height}, want {size}x{2 * size}')
    if planes != 1 or bits != bpp:
        errors.append(f'DIB planes={planes} bits={bits}, directory says {bpp}')
    if compression != 0:
        errors.append(f'compression {compression}, want none')
    if bits not in (8, 32):
        return errors + [f'unexpected bit depth {bits}']
    colours = 0
    if bits == 8:
        colours = used or 256
        if colours != 256:
            errors.append(f'{colours} palette entries, want 256')
    xor_stride = ((size * bits + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    want = 40 + 4 * colours + (xor_stride + and_stride) * size
    if len(dib) != want:
        errors.append(f'{len(dib)} bytes, want {want}')
        return errors
    if image_size not in (0, want - 40 - 4 * colours):
        errors.append(f'biSizeImage {image_size} does not match the data')

    # A blank or fully masked image means the drawing went wrong.
    mask = dib[want - and_stride * size:]
    masked = sum(bin(mask[r * and_stride + x // 8] >> (7 - x % 8) & 1)
                 .count('1') for r in range(size) for x in range(size))
    if masked in (0, size * size):
        errors.append(f'AND mask hides {masked} of {size * size} pixels')
    if bits == 32:
        xor = dib[40:40 + xor_stride * size]
        alphas = xor[3::4]
        if max(alphas) != 255 or min(alphas) != 0:
            errors.append('alpha channel is not used')
        for r in range(size):
            for x in range(size):
                hidden = mask[r * and_stride + x // 8] >> (7 - x % 8) & 1
                if hidden != (alphas[r * size + x] < 128):
                    errors.append(f'mask disagrees with alpha at row {r}')
                    break
    return errors


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: check-icon.py ICO')
    with open(sys.argv[1], 'rb') as f:
        errors = check(f.read())
    for e in errors:
        print(f'FAIL: {e}')
    if errors:
        sys.exit(1)
    print(f'icon ok: {sys.argv[1]}')


if __name__ == '__main__':
    main()
