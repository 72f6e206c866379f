#!/usr/bin/env python3
"""Checks the built 32-bit Windows product: what kind of program it is, what it imports, where
it starts, that it needs no static constructors, what resources it carries, and that it holds
no path of the machine that built it.

objdump reads the headers, the import table and the entry address; the link map gives the
address of the entry symbol and of the constructor list; the resource tree is read from the
.rsrc section here, so that nothing that windres or objdump might tidy up goes unseen.

Exit status: 0 when every check passes, 1 when one fails, 77 when the product has not been
built (the test is then skipped).
"""
import argparse
import re
import struct
import subprocess
import sys

SKIPPED = 77

RT_ICON = 3
RT_GROUP_ICON = 14
GERMAN = 0x0407  # LANG_GERMAN, SUBLANG_GERMAN
ICON_WIDTH = 101
ICON_HEIGHT = 113
ICON_BITS = 24
GROUP_ID = 102
ICON_ID = 1
POINTER_SIZE = 4


def padded_row(size):
    return (size + 3) // 4 * 4


ICON_IMAGE_SIZE = (40 + padded_row(ICON_WIDTH * 3) * ICON_HEIGHT
                   + padded_row((ICON_WIDTH + 7) // 8) * ICON_HEIGHT)


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, condition, message):
        if not condition:
            self.failures.append(message)


def objdump(tool, flag, exe):
    return subprocess.run([tool, flag, exe], check=True, capture_output=True, text=True).stdout


def check_headers(checks, tool, exe):
    private = objdump(tool, "-p", exe)
    header = objdump(tool, "-f", exe)
    checks.expect("file format pei-i386" in header, "not a PE file for i386")
    checks.expect(re.search(r"^architecture: i386,", header, re.M), "machine is not i386")
    checks.expect(re.search(r"^Magic\s+010b\s+\(PE32\)", private, re.M), "not PE32 (magic 010b)")
    checks.expect(re.search(r"^Subsystem\s+00000002\s", private, re.M),
                  "subsystem is not Windows GUI (2)")
    dlls = re.findall(r"DLL Name: (\S+)", private)
    checks.expect(dlls == ["KERNEL32.dll"], f"imports from {dlls}, expected KERNEL32.dll alone")
    start = re.search(r"^start address 0x([0-9a-f]+)", header, re.M)
    return int(start.group(1), 16) if start else None


def map_symbol(map_text, name):
    """The address of a symbol in the link map, or None. The map of an i686 link shows C
    names without the leading underscore that nm would show."""
    bare = name[1:] if name.startswith("_") else name
    pattern = r"^\s+0x([0-9a-f]+)\s+_?" + re.escape(bare) + r"(?: = \.)?\s*$"
    match = re.search(pattern, map_text, re.M)
    return int(match.group(1), 16) if match else None


def check_entry_and_constructors(checks, map_path, entry_symbol, start_address):
    with open(map_path, encoding="utf-8", errors="replace") as file:
        map_text = file.read()
    entry = map_symbol(map_text, entry_symbol)
    checks.expect(entry is not None, f"{entry_symbol} is not in the link map")
    checks.expect(entry is None or entry == start_address,
                  f"the entry point {start_address:#x} is not {entry_symbol}"
                  f" ({entry if entry is None else hex(entry)})")
    # Without the C runtime nothing would run a static constructor: the list between its two
    # sentinels must be empty.
    constructors = map_symbol(map_text, "__CTOR_LIST__")
    destructors = map_symbol(map_text, "__DTOR_LIST__")
    checks.expect(constructors is not None and destructors is not None,
                  "the constructor list is not in the link map")
    if constructors is not None and destructors is not None:
        count = (destructors - constructors) // POINTER_SIZE - 2
        checks.expect(count == 0, f"{count} static constructors would never run")


class PeImage:
    """The parts of a PE32 file that the resource check needs."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, self.timestamp = struct.unpack_from("<HI", data, pe + 6)[0:2]
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x10B:
            raise ValueError("not a PE32 optional header")
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, optional + 96 + 16)
        self.sections = []
        for index in range(sections):
            offset = optional + optional_size + 40 * index
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, offset + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def at(self, rva, size):
        for start, length, raw in self.sections:
            if start <= rva and rva + size <= start + length:
                return self.data[raw + rva - start:raw + rva - start + size]
        raise ValueError(f"RVA {rva:#x} lies in no section")


def resources(image):
    """Every resource as {(type, name, language): bytes}; a name given as a string shows as
    the text "named"."""
    base = image.resource_rva

    def directory(offset):
        header = image.at(base + offset, 16)
        named, numbered = struct.unpack_from("<HH", header, 12)
        for index in range(named + numbered):
            name, target = struct.unpack("<II", image.at(base + offset + 16 + 8 * index, 8))
            yield ("named" if name & 0x80000000 else name), target

    found = {}
    for kind, kinds in directory(0):
        for name, names in directory(kinds & 0x7FFFFFFF):
            for language, entry in directory(names & 0x7FFFFFFF):
                if entry & 0x80000000:
                    raise ValueError("the resource tree is deeper than three levels")
                rva, size = struct.unpack("<II", image.at(base + entry, 8))
                found[(kind, name, language)] = image.at(rva, size)
    return found


def check_resources(checks, image):
    found = resources(image)
    expected_keys = {(RT_GROUP_ICON, GROUP_ID, GERMAN), (RT_ICON, ICON_ID, GERMAN)}
    def listing(keys):
        return ", ".join(f"type {kind} id {name} language {language:#06x}"
                         if isinstance(language, int) else f"type {kind} id {name}"
                         for kind, name, language in sorted(keys, key=str))

    checks.expect(set(found) == expected_keys,
                  f"resources: {listing(found)}; expected: {listing(expected_keys)}")
    group = found.get((RT_GROUP_ICON, GROUP_ID, GERMAN))
    icon = found.get((RT_ICON, ICON_ID, GERMAN))
    if group is None or icon is None:
        return
    checks.expect(len(group) == 6 + 14, f"the icon group is {len(group)} bytes, expected 20")
    if len(group) >= 20:
        reserved, kind, count = struct.unpack_from("<HHH", group, 0)
        checks.expect((reserved, kind, count) == (0, 1, 1), "the icon group holds not one icon")
        width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from(
            "<BBBBHHIH", group, 6)
        checks.expect((width, height, colours, planes, bits) ==
                      (ICON_WIDTH, ICON_HEIGHT, 0, 1, ICON_BITS),
                      f"the group lists a {width} x {height} icon of {bits} bits per pixel")
        checks.expect(icon_id == ICON_ID and size == len(icon),
                      f"the group points at icon {icon_id} of {size} bytes")
    checks.expect(len(icon) == ICON_IMAGE_SIZE,
                  f"the icon image is {len(icon)} bytes, expected {ICON_IMAGE_SIZE}")
    if len(icon) >= 40:
        header, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", icon, 0)
        checks.expect((header, width, height, planes, bits, compression) ==
                      (40, ICON_WIDTH, 2 * ICON_HEIGHT, 1, ICON_BITS, 0),
                      f"the icon image is {width} x {height // 2} at {bits} bits per pixel")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, help="the built product")
    parser.add_argument("--map", required=True, help="the link map written beside it")
    parser.add_argument("--objdump", required=True, help="i686-w64-mingw32-objdump")
    parser.add_argument("--entry-symbol", default="_Start@0")
    parser.add_argument("--build-path", action="append", default=[],
                        help="a path of the building machine that must not be in the binary")
    options = parser.parse_args()

    try:
        with open(options.exe, "rb") as file:
            data = file.read()
    except FileNotFoundError:
        print(f"skipped: {options.exe} is missing; build the 32-bit Windows product first")
        return SKIPPED

    checks = Checks()
    start = check_headers(checks, options.objdump, options.exe)
    checks.expect(start is not None, "objdump shows no start address")
    if start is not None:
        check_entry_and_constructors(checks, options.map, options.entry_symbol, start)
    image = PeImage(data)
    checks.expect(image.timestamp == 0, f"the link time {image.timestamp} is in the header")
    check_resources(checks, image)
    for path in options.build_path:
        checks.expect(path.encode() not in data, f"the binary holds the build path {path}")

    for failure in checks.failures:
        print("FAIL", failure)
    if not checks.failures:
        print(f"ok: {options.exe}")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
