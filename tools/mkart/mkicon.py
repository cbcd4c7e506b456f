#!/usr/bin/env python3
"""mkicon.py OUT.ico IMAGE.bmp MASK.bmp [IMAGE.bmp MASK.bmp ...]: packs palette BMPs
(4 or 8 bits a pixel, as ImageMagick's BMP3 writes them) into one Windows icon file.
Each MASK.bmp has the image's size; its dark pixels are the icon's transparent ones."""
import struct
import sys


def read_bmp(path):
    data = open(path, 'rb').read()
    if data[:2] != b'BM':
        sys.exit(f'mkicon: {path} is no BMP file')
    offset = struct.unpack_from('<I', data, 10)[0]
    size, width, height, _, bits, compression = struct.unpack_from('<IiiHHI', data, 14)
    colours = struct.unpack_from('<I', data, 46)[0] or (1 << bits if bits <= 8 else 0)
    if compression != 0 or bits not in (1, 4, 8, 24):
        sys.exit(f'mkicon: {path}: {bits} bits a pixel, compression {compression}')
    palette = data[14 + size:14 + size + 4 * colours] if bits <= 8 else b''
    stride = (width * bits + 31) // 32 * 4
    rows = [data[offset + r * stride:offset + (r + 1) * stride] for r in range(abs(height))]
    if height > 0:
        rows.reverse()  # bottom-up in the file; top row first here
    return width, abs(height), bits, palette, rows


def pixel(row, x, bits):
    if bits == 24:
        return row[3 * x:3 * x + 3]
    per_byte = 8 // bits
    byte = row[x // per_byte]
    shift = 8 - bits * (x % per_byte + 1)
    return (byte >> shift) & ((1 << bits) - 1)


def entry(image_path, mask_path):
    width, height, bits, palette, rows = read_bmp(image_path)
    if bits not in (4, 8):
        sys.exit(f'mkicon: {image_path} has {bits} bits a pixel; 4 or 8 wanted')
    mw, mh, mbits, mpalette, mrows = read_bmp(mask_path)
    if (mw, mh) != (width, height):
        sys.exit(f'mkicon: {mask_path} is not {width}x{height}')

    def transparent(x, y):
        p = pixel(mrows[y], x, mbits)
        if mbits <= 8:
            b, g, r = mpalette[4 * p:4 * p + 3]
        else:
            b, g, r = p
        return r + g + b < 384

    colours = 1 << bits
    palette = palette[:4 * colours].ljust(4 * colours, b'\0')
    xor_stride = (width * bits + 31) // 32 * 4
    and_stride = (width + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(height)):  # bottom-up, as in every DIB
        row = bytearray(xor_stride)
        bitsrow = bytearray(and_stride)
        for x in range(width):
            value = pixel(rows[y], x, bits)
            if transparent(x, y):
                bitsrow[x // 8] |= 0x80 >> (x % 8)
                value = 0  # black under the mask: the screen shows through unchanged
            if bits == 8:
                row[x] = value
            else:
                row[x // 2] |= value << (4 if x % 2 == 0 else 0)
        xor += row
        mask += bitsrow
    header = struct.pack('<IiiHHIIiiII', 40, width, 2 * height, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return width, height, colours, bits, header + palette + bytes(xor) + bytes(mask)


def main():
    args = sys.argv[1:]
    if len(args) < 3 or len(args) % 2 == 0:
        sys.exit(__doc__)
    images = [entry(args[i], args[i + 1]) for i in range(1, len(args), 2)]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for width, height, colours, bits, blob in images:
        out += struct.pack('<BBBBHHII', width % 256, height % 256, colours % 256, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    for image in images:
        out += image[4]
    open(args[0], 'wb').write(out)


if __name__ == '__main__':
    main()
