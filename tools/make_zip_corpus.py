#!/usr/bin/env python3
"""Writes the corpus of malformed ZIP archives that the zip reader's tests read
and its fuzz target starts from. The same run gives the same files.

    tools/make_zip_corpus.py res/packaged/files.zip tests/install/corpus
"""
import os
import struct
import sys
import zlib


def deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def local(name, data, stored, method=8, crc=None, csize=None, usize=None, extra=b"", flags=0, sig=0x04034b50):
    crc = zlib.crc32(data) if crc is None else crc
    return struct.pack("<IHHHIIIIHH", sig, 20, flags, method, 0x49127d3a, crc,
                       len(stored) if csize is None else csize, len(data) if usize is None else usize,
                       len(name), len(extra)) + name + extra + stored


def central(name, data, stored, offset, method=8, crc=None, usize=None, csize=None, made_by=0x14, ext=0x20,
            extra=b""):
    crc = zlib.crc32(data) if crc is None else crc
    return struct.pack("<IHHHHIIIIHHHHHII", 0x02014b50, made_by, 20, 0, method, 0x49127d3a, crc,
                       len(stored) if csize is None else csize, len(data) if usize is None else usize,
                       len(name), len(extra), 0, 0, 0, ext, offset) + name + extra


def end(count, size, offset, comment=b"", disk=0, cd_disk=0, count_disk=None):
    return struct.pack("<IHHHHIIH", 0x06054b50, disk, cd_disk, count if count_disk is None else count_disk,
                       count, size, offset, len(comment)) + comment


def archive(entries, **end_args):
    """entries: list of (name, data, options for local, options for central)."""
    body, cd = b"", b""
    for name, data, lopts, copts in entries:
        method = lopts.get("method", 8)
        stored = lopts.pop("stored", None)
        if stored is None:
            stored = deflate(data) if method == 8 else data
        offset = len(body)
        body += local(name, data, stored, **lopts)
        cd += central(name, data, stored, offset, method=copts.pop("method", method), **copts)
    return body + cd + end(len(entries), len(cd), len(body), **end_args)


def main():
    packaged_path, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    with open(packaged_path, "rb") as f:
        packaged = f.read()
    cases = {}
    cases["packaged.zip"] = packaged
    for cut in (30, 100, len(packaged) // 2, len(packaged) - 23, len(packaged) - 1):
        cases["packaged-cut-%d.zip" % cut] = packaged[:cut]
    for at in (0, 8, 14, 26, 30, 60, len(packaged) - 40, len(packaged) - 12):
        flipped = bytearray(packaged)
        flipped[at] ^= 0xFF
        cases["packaged-flip-%d.zip" % at] = bytes(flipped)
    text = b"hello, hello, hello\r\n" * 20
    cases["traversal.zip"] = archive([(n, text, {}, {}) for n in (
        b"../up.txt", b"..\\up2.txt", b"a/../../up3.txt", b"/abs.txt", b"C:\\drive.txt", b"x/..", b"..")])
    cases["long-name.zip"] = archive([(b"n" * 300, text, {}, {}), (b"ok.txt", text, {}, {})])
    cases["method-bzip2.zip"] = archive([(b"b.txt", text, {"method": 12, "stored": text}, {})])
    cases["method-mismatch.zip"] = archive([(b"m.txt", text, {"method": 0}, {"method": 8})])
    cases["crc-mismatch.zip"] = archive([(b"c.txt", text, {}, {"crc": 1234})])
    cases["size-lies.zip"] = archive([(b"s.txt", text, {"usize": 0x7FFFFFFF}, {"usize": 0x7FFFFFFF})])
    cases["zip64-markers.zip"] = archive([(b"z.txt", text, {"usize": 0xFFFFFFFF, "csize": 0xFFFFFFFF},
                                           {"usize": 0xFFFFFFFF, "csize": 0xFFFFFFFF})])
    cases["garbage-data.zip"] = archive([(b"g.txt", text, {"stored": b"\xff" * 40}, {})])
    cases["bomb.zip"] = archive([(b"zeros.bin", b"\0" * (2 << 20), {}, {})])
    cases["ut-block-past-field.zip"] = archive([(b"e.txt", text, {"extra": b"UT\x05\x00\x01"}, {})])
    cases["ut-huge-length.zip"] = archive([(b"u.txt", text, {"extra": b"\xfe\xca\xff\xff" + b"UT\x05\x00\x07abcd"}, {})])
    cases["unix-host.zip"] = archive([(b"dir/", b"", {"method": 0}, {"made_by": 0x0314, "ext": 0x41ED0010}),
                                      (b"dir/ro.txt", text, {}, {"made_by": 0x0314, "ext": 0x81240000})])
    cases["entries-overlap.zip"] = (lambda body: body + b"".join(
        central(b"same%d.txt" % i, text, deflate(text), 0) for i in range(50)) + end(
        50, 50 * (46 + 9) + 40, len(body)))(local(b"same0.txt", text, deflate(text)))
    cases["count-too-high.zip"] = archive([(b"one.txt", text, {}, {})])[:-22] + end(0xFFFF, 55, 0)
    cases["comment-long.zip"] = archive([(b"c.txt", text, {}, {})], comment=b"#" * 60000)
    cases["comment-past-end.zip"] = archive([(b"c.txt", text, {}, {})])[:-2] + b"\xff\xff"
    cases["other-disk.zip"] = archive([(b"d.txt", text, {}, {})], disk=1)
    cases["empty-archive.zip"] = end(0, 0, 0)
    cases["bad-signature.zip"] = archive([(b"s.txt", text, {"sig": 0x08074b50}, {})])
    for name, data in sorted(cases.items()):
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    print("%d archives in %s" % (len(cases), out))


if __name__ == "__main__":
    main()
