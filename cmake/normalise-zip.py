#!/usr/bin/env python3
"""Rewrites a zip that CPack made so that one source makes one zip, byte for
byte, whoever packs it and in whatever time zone: the members in the order
of their names, each dated SECONDS (as UTC; a zip's dates begin in 1980),
folders and programs rwxr-xr-x, every other file rw-r--r--, no owner and no
extra field. The programs are those CPack staged as executable.
Usage: normalise-zip.py ZIP SECONDS"""
import os
import sys
import time
import zipfile

DOS_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC


def normalise(path, seconds):
    stamp = time.gmtime(max(seconds, DOS_EPOCH))[:6]
    with zipfile.ZipFile(path) as packed:
        members = sorted(((info, packed.read(info)) for info in packed.infolist()), key=lambda m: m[0].filename)
    with zipfile.ZipFile(path + ".tmp", "w") as out:
        for info, data in members:
            entry = zipfile.ZipInfo(info.filename, stamp)
            entry.create_system = 3  # Unix modes in the upper half of the external attributes
            if info.is_dir():
                entry.external_attr = 0o40755 << 16 | 0x10  # and MS-DOS's folder bit
                out.writestr(entry, data, zipfile.ZIP_STORED)
            else:
                program = (info.external_attr >> 16) & 0o100
                entry.external_attr = (0o100755 if program else 0o100644) << 16
                out.writestr(entry, data, zipfile.ZIP_DEFLATED, 9)
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    normalise(sys.argv[1], int(sys.argv[2]))
