#!/usr/bin/env python3
"""Makes the zip archives the reader is tested on, with Python's zipfile and Info-ZIP's zip,
and manifest.json describing what each holds, as those tools (not the reader) see it.

usage: make_zip_fixtures.py OUTPUT_FOLDER [--many-only]
"""
import base64
import json
import os
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
manifest = {}


def describe(path):
    """The listing of an archive as zipfile reads it."""
    entries = []
    with zipfile.ZipFile(path) as z:
        for info in z.infolist():
            kind = (info.external_attr >> 16) & 0o170000
            entry = {
                "name": info.filename,
                "type": {0o120000: "link", 0o040000: "folder"}.get(kind, "regular"),
                "method": info.compress_type,
                "compressed": info.compress_size,
                "size": info.file_size,
                "crc": info.CRC,
                "date": list(info.date_time),
            }
            if info.file_size <= 1 << 20 and not (info.flag_bits & 1):
                entry["content"] = base64.b64encode(z.read(info)).decode()
            entries.append(entry)
    return entries


def record(name, path=None):
    manifest[name] = describe(path or os.path.join(out, name))


def zpath(name):
    return os.path.join(out, name)



def make_many():
    """70,000 entries: more than the 16-bit count, so the end records are zip64 ones."""
    with zipfile.ZipFile(zpath("many.zip"), "w", zipfile.ZIP_STORED) as z:
        for i in range(70000):
            z.writestr("many/%05d.txt" % i, b"%d" % i)
    with zipfile.ZipFile(zpath("many.zip")) as z:
        names = z.namelist()
    manifest["many.zip"] = {"count": len(names), "first": names[0], "last": names[-1]}


if "--many-only" in sys.argv:
    make_many()
    with open(zpath("manifest.json"), "w") as f:
        json.dump(manifest, f)
    sys.exit(0)

# Python's writer: stored, deflated, empty, a folder, case twins, a comment, a link entry,
# traversal names, a folder without Unix bits, long names that differ only at the end.
with zipfile.ZipFile(zpath("basic.zip"), "w") as z:
    z.writestr("stored.txt", b"stored bytes\n" * 20, zipfile.ZIP_STORED)
    z.writestr("deflated.txt", bytes(range(256)) * 300, zipfile.ZIP_DEFLATED)
    z.writestr("empty.txt", b"", zipfile.ZIP_STORED)
    z.writestr("folder/", b"")
    z.writestr("folder/inner.txt", b"inside", zipfile.ZIP_DEFLATED)
    z.writestr("Case.txt", b"upper", zipfile.ZIP_STORED)
    z.writestr("case.txt", b"lower", zipfile.ZIP_STORED)
    link = zipfile.ZipInfo("link", date_time=(2020, 2, 29, 23, 59, 58))
    link.external_attr = (0o120777 << 16)
    z.writestr(link, b"/etc/passwd")
    z.writestr("../escape.txt", b"climb")
    z.writestr("/absolute.txt", b"root")
    bare = zipfile.ZipInfo("plain/")
    bare.external_attr = 0
    z.writestr(bare, b"")
    z.writestr("utf8/\u00e9t\u00e9 \u65e5\u672c.txt", b"utf-8 name", zipfile.ZIP_DEFLATED)
    z.writestr("x" * 1500 + "A", b"first long", zipfile.ZIP_STORED)
    z.writestr("x" * 1500 + "B", b"second long", zipfile.ZIP_STORED)
    z.writestr("n" * 65535, b"longest name", zipfile.ZIP_STORED)
    z.comment = b"archive comment"
record("basic.zip")

# Forced zip64 records on small entries.
with zipfile.ZipFile(zpath("zip64.zip"), "w") as z:
    for i, method in enumerate((zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED)):
        info = zipfile.ZipInfo("z64_%d.bin" % i, date_time=(2024, 1, 2, 3, 4, 6))
        info.compress_type = method
        with z.open(info, "w", force_zip64=True) as f:
            f.write(b"zip64 " * (1000 + i))
record("zip64.zip")

# bzip2 (method 12): listed, readable raw only.
with zipfile.ZipFile(zpath("bzip2.zip"), "w") as z:
    z.writestr("text.bz", b"bzip2 text " * 100, zipfile.ZIP_BZIP2)
record("bzip2.zip")

# An archive with no entries.
with zipfile.ZipFile(zpath("none.zip"), "w") as z:
    pass
manifest["none.zip"] = []

# Info-ZIP's zip: links kept as links, folders, a Shift-JIS name stored as raw bytes, an
# encrypted entry, and a self-extracting prefix.
tree = os.path.join(out, "infozip-tree")
os.makedirs(os.path.join(tree, "dir", "sub"), exist_ok=True)
with open(os.path.join(tree, "dir", "sub", "file.txt"), "wb") as f:
    f.write(b"Info-ZIP content\n" * 50)
sjis = "\u65e5\u672c\u8a9e.txt".encode("shift_jis")
with open(os.path.join(os.fsencode(tree), b"dir", sjis), "wb") as f:
    f.write(b"shift-jis name")
if not os.path.lexists(os.path.join(tree, "dir", "ln")):
    os.symlink("sub/file.txt", os.path.join(tree, "dir", "ln"))
env = dict(os.environ, LC_ALL="C", LANG="C")
subprocess.run(["zip", "-q", "-r", "-y", "-X", os.path.abspath(zpath("infozip.zip")), "dir"],
               cwd=tree, check=True, env=env)
record("infozip.zip")
# zipfile reads unflagged names as code page 437; the reader is to find Shift-JIS.
for entry in manifest["infozip.zip"]:
    if entry["name"] == "dir/" + sjis.decode("cp437"):
        entry["name"] = "dir/\u65e5\u672c\u8a9e.txt"
with open(os.path.join(tree, "secret.txt"), "wb") as f:
    f.write(b"secret " * 40)
subprocess.run(["zip", "-q", "-X", "-P", "password", os.path.abspath(zpath("encrypted.zip")),
                "secret.txt"], cwd=tree, check=True, env=env)
record("encrypted.zip")
with open(zpath("sfx.zip"), "wb") as f:
    f.write(b"#!/bin/sh\necho self-extracting prefix\nexit 0\n" + b"\0" * 300)
    with open(zpath("basic.zip"), "rb") as g:
        f.write(g.read())
subprocess.run(["zip", "-q", "-A", zpath("sfx.zip")], check=True, env=env)
record("sfx.zip")
# Readers that decode names as UTF-8 cannot remove the Shift-JIS name later.
shutil.rmtree(os.fsencode(tree))


# Damaged archives, each made from base.zip by changing a few bytes of its records.
with zipfile.ZipFile(zpath("base.zip"), "w") as z:
    z.writestr(zipfile.ZipInfo("a.txt", (2021, 5, 6, 7, 8, 10)), b"A" * 1100)
    z.writestr(zipfile.ZipInfo("b.txt", (2021, 5, 6, 7, 8, 10)), b"bee " * 500,
               zipfile.ZIP_DEFLATED)
    z.writestr(zipfile.ZipInfo("c.txt", (2021, 5, 6, 7, 8, 10)), b"sea")
record("base.zip")
base = open(zpath("base.zip"), "rb").read()
eocd = base.rfind(b"PK\x05\x06")
cd_offset = struct.unpack_from("<I", base, eocd + 16)[0]


def central(data, index):
    """Offset of the index-th central-directory record."""
    pos = cd_offset
    for _ in range(index):
        n, m, k = struct.unpack_from("<HHH", data, pos + 28)
        pos += 46 + n + m + k
    return pos


def local(data, index):
    return struct.unpack_from("<I", data, central(data, index) + 42)[0]


def patched(name, edits):
    data = bytearray(base)
    for offset, fmt, value in edits:
        struct.pack_into(fmt, data, offset, value)
    with open(zpath(name), "wb") as f:
        f.write(data)


a_c, a_l, b_c, b_l = central(base, 0), local(base, 0), central(base, 1), local(base, 1)
patched("count_small.zip", [(eocd + 8, "<H", 2), (eocd + 10, "<H", 2)])
patched("count_large.zip", [(eocd + 8, "<H", 4), (eocd + 10, "<H", 4)])
patched("cd_offset_zero.zip", [(eocd + 16, "<I", 0)])
patched("cd_offset_past.zip", [(eocd + 16, "<I", len(base) + 100)])
patched("local_disagrees.zip", [(a_l + 14, "<I", 0x12345678)])
patched("bad_crc.zip", [(a_c + 16, "<I", 0x12345678), (a_l + 14, "<I", 0x12345678)])
patched("huge_sizes.zip", [(a_c + 20, "<I", 0xFFFFFF00), (a_c + 24, "<I", 0xFFFFFF00),
                           (a_l + 18, "<I", 0xFFFFFF00), (a_l + 22, "<I", 0xFFFFFF00)])
patched("size_larger.zip", [(a_c + 20, "<I", 1200), (a_c + 24, "<I", 1200),
                            (a_l + 18, "<I", 1200), (a_l + 22, "<I", 1200)])
patched("flag_encrypted.zip", [(a_c + 8, "<H", 1), (a_l + 6, "<H", 1)])
# Month 0 on a.txt, the 31st of February on b.txt (DOS dates: year-1980, month, day).
patched("bad_dates.zip", [(a_c + 14, "<H", (41 << 9) | (0 << 5) | 6),
                          (b_c + 14, "<H", (41 << 9) | (2 << 5) | 31)])
data = bytearray(base)
b_data = b_l + 30 + len("b.txt")
data[b_data + 5] ^= 0xFF
with open(zpath("flipped.zip"), "wb") as f:
    f.write(data)

# bzip2 with its uncompressed size forged to the compressed one, so a read that took it as
# stored would return the compressed bytes whole.
bz = bytearray(open(zpath("bzip2.zip"), "rb").read())
bz_eocd = bz.rfind(b"PK\x05\x06")
bz_c = struct.unpack_from("<I", bz, bz_eocd + 16)[0]
bz_size = struct.unpack_from("<I", bz, bz_c + 20)[0]
struct.pack_into("<I", bz, bz_c + 24, bz_size)
struct.pack_into("<I", bz, 22, bz_size)
with open(zpath("bzip2_forged.zip"), "wb") as f:
    f.write(bz)

# A stored zip64 entry that declares an uncompressed size near 2^63 in both zip64 extra fields.
body = b"Z" * 1100
name = b"huge.bin"
crc = zlib.crc32(body)
extra = struct.pack("<HHQQ", 1, 16, (1 << 63) - 5, len(body))
local_header = struct.pack("<IHHHHHIIIHH", 0x04034B50, 45, 0, 0, 0, 0x5221, crc,
                           0xFFFFFFFF, 0xFFFFFFFF, len(name), len(extra)) + name + extra
central_header = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 45, 45, 0, 0, 0, 0x5221, crc,
                             0xFFFFFFFF, 0xFFFFFFFF, len(name), len(extra), 0, 0, 0, 0,
                             0) + name + extra
cd_at = len(local_header) + len(body)
end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central_header), cd_at, 0)
with open(zpath("zip64_huge.zip"), "wb") as f:
    f.write(local_header + body + central_header + end)

with open(zpath("manifest.json"), "w") as f:
    json.dump(manifest, f)
