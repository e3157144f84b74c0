#!/usr/bin/env python3
"""Writes the archive fixtures of the download tests (and the seeds of the
unpacking fuzz target) into tests/inputs/dn_unpack/. Deterministic: run it
again and nothing changes.

    tests/support/make_dn_inputs.py

The jigsaw inside them is written here byte by byte after the jigsaw file's
layout (magic, size, key block, three scrambled parts), holding a tiny PNG.
The RAR archives come from our RAR 4 store writer (tools/jigsaw-site/rar4.py).
"""
import io
import os
import struct
import sys
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools", "jigsaw-site"))
import rar4  # noqa: E402

OUT = os.path.join(ROOT, "tests", "inputs", "dn_unpack")
KEY_THUMB, KEY_DESC, KEY_PICTURE = 0x5A, 0xC3, 0x96


def png(w, h):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"".join(bytes(((x * 40) & 255, (y * 40) & 255, 128)) for x in range(w))
                    for y in range(h))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def scramble(data, key, rotating):
    out = bytearray()
    for b in data:
        out.append(b ^ key)
        if rotating:
            key = ((key >> 1) | ((key & 1) << 7)) & 0xFF
    return bytes(out)


def part(data, key, rotating):
    return struct.pack("<I", len(data)) + scramble(data, key, rotating)


def jigsaw(w=8, h=6, desc=b"Tiny. A test jigsaw."):
    pic = png(w, h)
    keys = bytes([3, 11, 22, 33, 44, 55, 66, 77, 88, 99])
    return (b"ZIVRA1.0\0" + struct.pack("<II", w, h) + keys + part(pic, KEY_THUMB, False)
            + part(desc, KEY_DESC, True) + part(pic, KEY_PICTURE, True))


def zip_bytes(entries, method=zipfile.ZIP_STORED):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w", method) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = method
            if name.endswith("/"):
                info.external_attr = 0o40755 << 16
            z.writestr(info, data)
    return buf.getvalue()


def main():
    os.makedirs(OUT, exist_ok=True)
    jig = jigsaw()
    good_rar = rar4.archive_bytes([("Tiny.zjg", jig)])
    files = {
        "good.rar": good_rar,
        "good.zip": zip_bytes([("Tiny.zjg", jig)]),
        "two_files.rar": rar4.archive_bytes([("Tiny.zjg", jig), ("notes.txt", b"not a jigsaw\n")]),
        "traversal.rar": rar4.archive_bytes([("../../x", jig)]),
        "absolute.zip": zip_bytes([("/tmp/zivra-absolute.zjg", jig)]),
        "dir_first.zip": zip_bytes([("pics/", b""), ("pics/Tiny.zjg", jig)]),
        "empty.zip": zip_bytes([]),
        "only_dir.zip": zip_bytes([("pics/", b"")]),
        "truncated.rar": good_rar[:len(good_rar) // 2],
        "bomb.zip": zip_bytes([("Tiny.zjg", b"\0" * (16 << 20))], zipfile.ZIP_DEFLATED),
        "not_jigsaw.zip": zip_bytes([("Tiny.zjg", b"just some text, not a jigsaw\n" * 10)]),
        "garbage.rar": bytes((i * 37 + 11) & 255 for i in range(600)),
        "tiny.zjg": jig,
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
