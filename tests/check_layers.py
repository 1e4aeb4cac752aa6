#!/usr/bin/env python3
"""check_layers.py ROOT: every include of the product's own headers points down the layers.

A folder may include its own headers and those of the layers below it; folders on one
layer do not include each other. Exits 1 and names each include that points up or across.
"""
import pathlib
import re
import sys

# From the ground up. Folders on the same line are peers.
LAYERS = [
    ["base"],
    ["face", "shortcut"],
    ["facedraw", "cfgdlg"],
    ["macros"],
    ["plugin"],
]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.MULTILINE)


def faults(root):
    for folder, level in LEVEL.items():
        for source in sorted((root / folder).rglob("*")):
            if source.suffix not in (".h", ".cpp", ".rc", ".in"):
                continue
            for target in INCLUDE.findall(source.read_text(encoding="utf-8", errors="replace")):
                if target == folder or target not in LEVEL:
                    continue
                if LEVEL[target] >= level:
                    yield f"{source.relative_to(root)} includes {target}/ (not below {folder}/)"


def main(root):
    found = list(faults(pathlib.Path(root)))
    for fault in found:
        print(f"check_layers: {fault}", file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
