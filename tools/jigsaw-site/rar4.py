"""A small writer of RAR 4 archives in the store method (no compression).

Enough for a jigsaw site and for test fixtures: every file is stored whole
with its CRC-32, in the RAR 2.0 on-disk layout that unpackers of RAR 4
archives read. Only the standard library is used.

    write_rar4("Blinds.rar", [("Blinds.zjg", data)])
"""
import struct
import time
import zlib

MARKER = b"Rar!\x1a\x07\x00"
HEAD_MAIN = 0x73
HEAD_FILE = 0x74
HEAD_END = 0x7B
LONG_BLOCK = 0x8000
OS_UNIX = 3
METHOD_STORE = 0x30
UNPACK_VERSION = 20


def _dos_time(t):
    lt = time.localtime(t)
    return ((max(lt.tm_year, 1980) - 1980) << 25 | lt.tm_mon << 21 | lt.tm_mday << 16
            | lt.tm_hour << 11 | lt.tm_min << 5 | lt.tm_sec // 2)


def _block(head_type, flags, body):
    """A block header: CRC16 (low half of CRC-32 over type..end), type, flags, size."""
    size = 7 + len(body)
    rest = struct.pack("<BHH", head_type, flags, size) + body
    crc = zlib.crc32(rest) & 0xFFFF
    return struct.pack("<H", crc) + rest


def file_block(name, data, mtime=None, attr=0o100644, crc=None):
    """The header of one stored file followed by its bytes.

    crc lets a test write a wrong checksum."""
    name_bytes = name.encode("utf-8")
    if crc is None:
        crc = zlib.crc32(data) & 0xFFFFFFFF
    body = struct.pack("<IIBIIBBHI", len(data), len(data), OS_UNIX, crc,
                       _dos_time(mtime if mtime is not None else 1262304000),
                       UNPACK_VERSION, METHOD_STORE, len(name_bytes), attr) + name_bytes
    return _block(HEAD_FILE, LONG_BLOCK, body) + data


def archive_bytes(files, **kw):
    """files: a list of (name, bytes). Returns the whole archive."""
    out = bytearray(MARKER)
    out += _block(HEAD_MAIN, 0, struct.pack("<HI", 0, 0))
    for name, data in files:
        out += file_block(name, data, **kw)
    out += _block(HEAD_END, 0x4000, b"")
    return bytes(out)


def write_rar4(path, files):
    with open(path, "wb") as f:
        f.write(archive_bytes(files))
