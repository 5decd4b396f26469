#!/usr/bin/env python3
"""Builds the packaged archive (resource "ZIP" 269) from res/packaged/:
systemset.ini and uninstall.ico, both deflated, made on an MS-DOS host
(version 2.0), archive attribute 0x20, fixed DOS times, no extra fields, no
data descriptors, no comment. The same inputs give the same bytes.

    tools/make_packaged_zip.py res/packaged res/packaged/files.zip
"""
import io
import os
import sys
import zipfile

ENTRIES = [
    ("systemset.ini", (2016, 8, 18, 9, 57, 20)),
    ("uninstall.ico", (2015, 4, 15, 14, 53, 54)),
]


def build(folder):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        for name, when in ENTRIES:
            with open(os.path.join(folder, name), "rb") as f:
                data = f.read()
            info = zipfile.ZipInfo(name, date_time=when)
            info.create_system = 0  # MS-DOS
            info.create_version = 20
            info.extract_version = 20
            info.external_attr = 0x20  # archive
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)
    return out.getvalue()


def main():
    folder, target = sys.argv[1], sys.argv[2]
    data = build(folder)
    with open(target, "wb") as f:
        f.write(data)
    print("%s: %d bytes" % (target, len(data)))


if __name__ == "__main__":
    main()
