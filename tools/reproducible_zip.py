"""Writes a zip archive of a folder that depends on nothing but the files' bytes: entries in
name order under the folder's own name, every time SOURCE_DATE_EPOCH (UTC; a zip stores no
time before 1980), fixed modes, no extra fields.

Usage: python3 tools/reproducible_zip.py ARCHIVE FOLDER"""
import os
import sys
import time
import zipfile


def entry(name, epoch, folder):
    info = zipfile.ZipInfo(name, date_time=time.gmtime(max(epoch, 315532800))[:6])
    info.create_system = 3  # Unix, so that the modes below hold
    info.external_attr = ((0o40755 if folder else 0o100644) << 16) | (0x10 if folder else 0)
    info.compress_type = zipfile.ZIP_STORED if folder else zipfile.ZIP_DEFLATED
    return info


def main(archive, folder):
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    top = os.path.basename(os.path.normpath(folder))
    names = []
    for root, dirs, files in os.walk(folder):
        rel = os.path.relpath(root, folder)
        names += [(os.path.normpath(os.path.join(top, rel, d)), True) for d in dirs]
        names += [(os.path.normpath(os.path.join(top, rel, f)), False) for f in files]
    names.append((top, True))
    with zipfile.ZipFile(archive, "w") as z:
        for name, is_folder in sorted(names):
            path = os.path.join(folder, os.path.relpath(name, top))
            if is_folder:
                z.writestr(entry(name + "/", epoch, True), b"")
            else:
                with open(path, "rb") as f:
                    z.writestr(entry(name, epoch, False), f.read(), compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
