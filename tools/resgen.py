#!/usr/bin/env python3
"""Turns the resources under res/ into the form each build links.

Windows: a resource script for windres (manifest, string table, version
information, binary resources by type and number).
Linux: a C++ source that embeds the same bytes with .incbin, the string table
as UTF-8, and the version record in an ELF section of its own, so that the
version of another executable file can be read back from that file.
"""
import argparse
import os
import sys


def read_lines(path):
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if line.strip() and not line.lstrip().startswith("#"):
                yield line


def read_strings(res, substitutions):
    rows = []
    for line in read_lines(os.path.join(res, "strings.tsv")):
        number, _, text = line.partition("\t")
        for key, value in substitutions.items():
            text = text.replace("@" + key + "@", value)
        rows.append((int(number), text))
    return rows


def read_version(res):
    fields = {}
    for line in read_lines(os.path.join(res, "version.txt")):
        key, _, value = line.partition("=")
        fields[key.strip()] = value.strip()
    return fields


def read_binaries(res):
    items = []
    for line in read_lines(os.path.join(res, "resources.txt")):
        kind, number, name = line.split(None, 2)
        path = os.path.abspath(os.path.join(res, name))
        if not os.path.isfile(path):
            sys.exit("resgen: missing resource file " + path)
        items.append((kind, int(number), path))
    return items


STRING_KEYS = ["CompanyName", "FileDescription", "FileVersion", "InternalName",
               "OriginalFilename", "ProductName", "ProductVersion"]


def rc_quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '""') + '"'


def write_rc(out, res, rows, version, binaries):
    lang = int(version["Language"], 16)
    codepage = int(version["CodePage"])
    fixed = version["FixedVersion"].replace(".", ",")
    block = "%04x%04x" % (lang, codepage)
    lines = ["#pragma code_page(65001)", "#include <windows.h>",
             "LANGUAGE %d, %d" % (lang & 0x3FF, lang >> 10), "",
             "1 24 " + rc_quote(os.path.abspath(os.path.join(res, "app.manifest"))), "",
             "STRINGTABLE", "BEGIN"]
    lines += ["  %d %s" % (n, rc_quote(t)) for n, t in rows]
    lines += ["END", "",
              "1 VERSIONINFO", " FILEVERSION " + fixed, " PRODUCTVERSION " + fixed,
              " FILEFLAGSMASK 0x3fL", " FILEFLAGS 0x0L", " FILEOS 0x40004L", " FILETYPE 0x1L",
              " FILESUBTYPE 0x0L", "BEGIN", '  BLOCK "StringFileInfo"', "  BEGIN",
              '    BLOCK "%s"' % block, "    BEGIN"]
    lines += ['      VALUE "%s", %s' % (k, rc_quote(version[k])) for k in STRING_KEYS if k in version]
    lines += ["    END", "  END", '  BLOCK "VarFileInfo"', "  BEGIN",
              '    VALUE "Translation", 0x%x, %d' % (lang, codepage), "  END", "END", ""]
    lines += ["%d %s %s" % (n, k, rc_quote(p)) for k, n, p in binaries]
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def c_bytes(text):
    return '"' + "".join(
        chr(b) if 32 <= b < 127 and chr(b) not in '"\\?' else "\\%03o" % b
        for b in text.encode("utf-8")) + '"'


def version_record(version):
    lang = int(version["Language"], 16)
    codepage = int(version["CodePage"])
    block = "%04x%04x" % (lang, codepage)
    lines = ["QMVERSION 1", "Translation=%04x %04x" % (lang, codepage),
             "FixedVersion=" + version["FixedVersion"]]
    lines += ["%s\\%s=%s" % (block, k, version[k]) for k in STRING_KEYS if k in version]
    return "\n".join(lines) + "\n"


def write_cpp(out, rows, version, binaries):
    src = ['// Generated from res/ by tools/resgen.py; do not edit.',
           '#include "platform/linux/embedded_resources.h"', "", "namespace qm::embedded {", ""]
    for i, (kind, number, path) in enumerate(binaries):
        sym = "qm_res_%d" % i
        if any(c in path for c in '"\\\n') or not path.isascii():
            sys.exit("resgen: resource path must be plain ASCII: " + path)
        src.append('asm(".section .rodata.qm_res, \\"a\\"\\n.balign 16\\n.global %s\\n.hidden %s\\n'
                   '%s:\\n.incbin \\"%s\\"\\n.global %s_end\\n.hidden %s_end\\n%s_end:\\n.previous\\n");'
                   % (sym, sym, sym, path, sym, sym, sym))
        src.append('extern "C" const unsigned char %s[], %s_end[];' % (sym, sym))
    src += ["", "const Resource kResources[] = {"]
    src += ['    {%s, %d, qm_res_%d, qm_res_%d_end},' % (c_bytes(k), n, i, i)
            for i, (k, n, _) in enumerate(binaries)]
    src += ["    {nullptr, 0, nullptr, nullptr},", "};", "",
            "const StringRowText kStringRows[] = {"]
    src += ["    {%d, %s}," % (n, c_bytes(t)) for n, t in rows]
    src += ["    {0, nullptr},", "};", "",
            "// The version record, in a section of its own so that it can be found in",
            "// the executable file by name.",
            '__attribute__((section(".qm_version"), used)) const char kVersionRecord[] =',
            "    " + c_bytes(version_record(version)) + ";", "",
            "}  // namespace qm::embedded", ""]
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(src))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--res", required=True)
    ap.add_argument("--rc")
    ap.add_argument("--cpp")
    ap.add_argument("--login-base-url", required=True)
    ap.add_argument("--version-server-url", required=True)
    ap.add_argument("--file-version", help="another file and product version (for test builds)")
    args = ap.parse_args()
    rows = read_strings(args.res, {"LOGIN_BASE_URL": args.login_base_url,
                                   "VERSION_SERVER_URL": args.version_server_url})
    version = read_version(args.res)
    if args.file_version:
        for key in ("FixedVersion", "FileVersion", "ProductVersion"):
            version[key] = args.file_version
    binaries = read_binaries(args.res)
    if args.rc:
        write_rc(args.rc, args.res, rows, version, binaries)
    if args.cpp:
        write_cpp(args.cpp, rows, version, binaries)


if __name__ == "__main__":
    main()
