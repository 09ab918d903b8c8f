#!/usr/bin/env python3
"""Checks that every file under src/ includes only from its own folder or from folders
below it, and that the Qt-free folders include no Qt header.

    layering_check.py SRC_DIR
"""
import pathlib
import re
import sys

# Bottom to top. A folder may include from itself and from any folder of a lower rank; the
# platform backends stand beside each other and see only the interfaces, and the Linux backend
# its own Qt-free part (platform/posix).
RANKS = [
    ("platform", 0),
    ("core", 1),  # files at core/'s top, shared by its subsystems
    ("core/store", 2),
    ("core/battery", 3),
    ("core/alarms", 4),
    ("core/dialogs", 5),
    ("core/shell", 6),
    ("ui/common", 7),
    ("ui/desktop", 8),
    ("ui/alarms", 9),
    ("ui/dialogs", 9),
    ("ui/shell", 10),
    ("app", 11),
]
BACKENDS = {"platform/posix", "platform/linux", "platform/windows"}
QT_FREE = ("platform", "platform/posix", "platform/windows", "core")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def folder_of(path: str) -> str:
    return str(pathlib.PurePosixPath(path).parent)


def rank(folder: str):
    for name, r in RANKS:
        if folder == name:
            return r
    return None


def allowed(src: str, dst: str) -> bool:
    if src == dst:
        return True
    if src in BACKENDS:
        return dst == "platform" or (src == "platform/linux" and dst == "platform/posix")
    if dst in BACKENDS:
        return src == "app"
    a, b = rank(src), rank(dst)
    if a is None or b is None:
        return False
    return b < a and not (src == "ui/alarms" and dst == "ui/dialogs") and not (src == "ui/dialogs" and dst == "ui/alarms")


def main() -> int:
    root = pathlib.Path(sys.argv[1])
    faults = []
    checked = 0
    for file in sorted(root.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        rel = file.relative_to(root).as_posix()
        src = folder_of(rel)
        if rank(src) is None and src not in BACKENDS:
            faults.append(f"{rel}: folder {src} has no place in the layering")
            continue
        for kind, name in INCLUDE.findall(file.read_text(encoding="utf-8")):
            checked += 1
            if kind == "<":
                qt_free = src in QT_FREE or src.startswith("core/")
                if qt_free and re.match(r"Q[A-Za-z]*$|Qt", name):
                    faults.append(f"{rel}: includes <{name}> in a Qt-free folder")
                continue
            if "/" not in name:  # a generated file beside the source (moc)
                continue
            dst = folder_of(name)
            if not allowed(src, dst):
                faults.append(f"{rel}: includes {name} ({src} may not use {dst})")
    for f in faults:
        print("FAIL:", f)
    print(f"{checked} includes checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
