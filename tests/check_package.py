#!/usr/bin/env python3
"""check_package.py ZIP: the release package holds what a user needs, and both DLLs are
what they claim: the right machine in their PE header and, in their version resource, the
version that CMakeLists.txt's project() gives."""
import pathlib
import re
import struct
import sys
import zipfile

MACHINES = {"x86": 0x014C, "x64": 0x8664}
REQUIRED = ["LICENSE", "COMPFACE-NOTICE.txt", "CHANGELOG.md", "docs/guide-en.md",
            "docs/guide-pl.md", "docs/images/config-dialog.png", "docs/images/header-panel.png",
            "docs/images/face-maker.png", "sample/face.bmp", "sample/face.txt"]


def project_version():
    cmake = (pathlib.Path(__file__).resolve().parent.parent / "CMakeLists.txt").read_text()
    return tuple(int(part) for part in re.search(r"^project\(Vizmark VERSION ([0-9.]+)", cmake,
                                                  re.MULTILINE).group(1).split("."))


def fail(message):
    print(f"check_package: {message}", file=sys.stderr)
    sys.exit(1)


def file_version(dll):
    # VS_FIXEDFILEINFO follows the UTF-16 key "VS_VERSION_INFO" and starts 0xFEEF04BD.
    at = dll.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        fail("no version resource")
    ms, ls = struct.unpack_from("<II", dll, at + 8)
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def main(path):
    with zipfile.ZipFile(path) as package:
        names = {n.split("/", 1)[1] for n in package.namelist() if "/" in n}
        for required in REQUIRED:
            if required not in names:
                fail(f"{required} missing")
        notice = package.read(next(n for n in package.namelist() if n.endswith("COMPFACE-NOTICE.txt")))
        if b"James Ashton" not in notice:
            fail("compface's copyright notice is not in COMPFACE-NOTICE.txt")
        for folder, machine in MACHINES.items():
            name = next((n for n in package.namelist() if n.endswith(f"/{folder}/Vizmark.tbp")), None)
            if name is None:
                fail(f"{folder}/Vizmark.tbp missing")
            dll = package.read(name)
            if dll[:2] != b"MZ":
                fail(f"{name} is no Windows program")
            pe = struct.unpack_from("<I", dll, 0x3C)[0]
            if dll[pe:pe + 4] != b"PE\0\0":
                fail(f"{name} has no PE header")
            found = struct.unpack_from("<H", dll, pe + 4)[0]
            if found != machine:
                fail(f"{name} is for machine {found:#x}, not {machine:#x}")
            expected = project_version()
            if file_version(dll)[:len(expected)] != expected:
                fail(f"{name} has version {file_version(dll)}, not {expected}")
            if "Vizmark.tbp".encode("utf-16-le") not in dll:
                fail(f"{name}'s version resource does not name Vizmark.tbp")
    print(f"{path}: both DLLs, guides, notices and the sample face are in place")


if __name__ == "__main__":
    main(sys.argv[1])
