#!/usr/bin/env python3
"""Checks the resources a Windows game executable must carry, read straight from the PE file:

- an application manifest (resource type 24, id 1) that declares per-monitor DPI awareness,
  so Windows neither blurs the window by scaling it nor lets it jump size between monitors;
- an icon group (type 14) whose every member icon (type 3) is present with the size the group
  says, so Explorer and the task bar show the game's icon;
- version information (type 16) with the fixed-info signature and, when --version is given,
  that version as the file and product version.

    pe-resources.py <exe> [--version X.Y[.Z[.W]]]

Prints one line per finding; exits 1 with a reason per failure, 2 on a file it cannot read.
Objdump lists imports and the subsystem but not resources, hence this reader.
"""
import argparse
import struct
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24


class PeError(Exception):
    pass


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        (pe_at,) = self.unpack("<I", 0x3C)
        if data[pe_at:pe_at + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        _, sections, _, _, _, optional_size, _ = self.unpack("<HHIIIHH", pe_at + 4)
        optional = pe_at + 24
        (magic,) = self.unpack("<H", optional)
        if magic == 0x20B:
            directories = optional + 112
        elif magic == 0x10B:
            directories = optional + 96
        else:
            raise PeError(f"unknown optional header magic {magic:#x}")
        self.resource_rva, self.resource_size = self.unpack("<II", directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            vsize, rva, raw_size, raw_at = self.unpack("<IIII", table + 40 * i + 8)
            self.sections.append((rva, max(vsize, raw_size), raw_at, raw_size))

    def unpack(self, fmt, at):
        size = struct.calcsize(fmt)
        if at < 0 or at + size > len(self.data):
            raise PeError(f"truncated file (reading {size} bytes at {at:#x})")
        return struct.unpack_from(fmt, self.data, at)

    def offset(self, rva):
        for start, size, raw_at, raw_size in self.sections:
            if start <= rva < start + size and rva - start < raw_size:
                return raw_at + rva - start
        raise PeError(f"address {rva:#x} lies in no section")

    def resources(self):
        """{type: {id or name: bytes}} over the three levels type / name / language (the first
        language of each name is enough here)."""
        if self.resource_rva == 0:
            return {}
        base = self.offset(self.resource_rva)
        seen = set()

        def entries(at):
            if at in seen:
                raise PeError("resource directory loops")
            seen.add(at)
            named, ids = self.unpack("<HH", at + 12)
            for i in range(named + ids):
                key, target = self.unpack("<II", at + 16 + 8 * i)
                if key & 0x80000000:
                    name_at = base + (key & 0x7FFFFFFF)
                    (length,) = self.unpack("<H", name_at)
                    key = self.data[name_at + 2:name_at + 2 + 2 * length].decode("utf-16-le")
                yield key, target

        def leaf(target):
            while target & 0x80000000:
                first = next(entries(base + (target & 0x7FFFFFFF)), None)
                if first is None:
                    raise PeError("empty resource directory")
                target = first[1]
            rva, size, _, _ = self.unpack("<IIII", base + target)
            at = self.offset(rva)
            if at + size > len(self.data):
                raise PeError("resource data runs past the end of the file")
            return self.data[at:at + size]

        found = {}
        for kind, names in entries(base):
            if not names & 0x80000000:
                raise PeError("resource type entry is not a directory")
            found[kind] = {name: leaf(t) for name, t in entries(base + (names & 0x7FFFFFFF))}
        return found


def check_manifest(found, say, fail):
    manifests = found.get(RT_MANIFEST, {})
    if 1 not in manifests:
        fail("no application manifest (resource type 24, id 1)")
        return
    try:
        root = ET.fromstring(manifests[1])
    except ET.ParseError as error:
        fail(f"the manifest is not well-formed XML: {error}")
        return
    values = {}
    for element in root.iter():
        tag = element.tag.rsplit("}", 1)[-1]
        if tag in ("dpiAware", "dpiAwareness"):
            values[tag] = (element.text or "").strip()
    # dpiAwareness (Windows 10 1607 on) is a list tried in order; older Windows read dpiAware.
    awareness = [v.strip().lower() for v in values.get("dpiAwareness", "").split(",")]
    legacy = values.get("dpiAware", "").lower()
    per_monitor = any(v in ("permonitorv2", "permonitor") for v in awareness[:1]) or (
        not values.get("dpiAwareness") and legacy.endswith("/pm"))
    shown = ", ".join(f"{k} {v!r}" for k, v in sorted(values.items())) or "no DPI entry"
    if per_monitor:
        say(f"manifest: per-monitor DPI aware ({shown})")
    else:
        fail(f"the manifest does not declare per-monitor DPI awareness ({shown})")


def check_icons(found, say, fail):
    groups = found.get(RT_GROUP_ICON, {})
    icons = found.get(RT_ICON, {})
    if not groups:
        fail("no icon group (resource type 14)")
        return
    for name, group in groups.items():
        if len(group) < 6:
            fail(f"icon group {name} is truncated")
            continue
        reserved, kind, count = struct.unpack_from("<HHH", group)
        if reserved != 0 or kind != 1 or count == 0 or len(group) < 6 + 14 * count:
            fail(f"icon group {name} has a bad header (type {kind}, {count} icons)")
            continue
        sizes = []
        for i in range(count):
            width, height, _, _, _, bits, length, member = struct.unpack_from(
                "<BBBBHHIH", group, 6 + 14 * i)
            side = f"{width or 256}x{height or 256}"
            if member not in icons:
                fail(f"icon group {name}: its {side} icon (id {member}) is missing")
            elif len(icons[member]) != length:
                fail(f"icon group {name}: its {side} icon holds {len(icons[member])} bytes, "
                     f"the group says {length}")
            sizes.append(f"{side}x{bits}")
        say(f"icon group {name}: {count} icons ({', '.join(sizes)})")


def check_version(found, expected, say, fail):
    versions = found.get(RT_VERSION, {})
    if not versions:
        fail("no version information (resource type 16)")
        return
    block = next(iter(versions.values()))
    # VS_VERSIONINFO: length, value length, type, "VS_VERSION_INFO\0", padding, then the
    # fixed file info on a 4-byte boundary.
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    at = block.find(key)
    if at != 6:
        fail("the version information has no VS_VERSION_INFO block")
        return
    fixed = (at + len(key) + 3) & ~3
    if len(block) < fixed + 52 or struct.unpack_from("<I", block, fixed)[0] != 0xFEEF04BD:
        fail("the version information has no fixed file info")
        return
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", block, fixed + 8)

    def dotted(ms, ls):
        return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"

    file_version, product_version = dotted(file_ms, file_ls), dotted(product_ms, product_ls)
    say(f"version information: file {file_version}, product {product_version}")
    if expected:
        parts = [int(p) for p in expected.split(".")]
        want = ".".join(str(p) for p in (parts + [0, 0, 0, 0])[:4])
        for what, got in (("file", file_version), ("product", product_version)):
            if got != want:
                fail(f"the {what} version is {got}, the project's is {want}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--version", help="the version the file and product version must be")
    args = parser.parse_args()
    try:
        with open(args.exe, "rb") as f:
            found = Pe(f.read()).resources()
    except (OSError, PeError) as error:
        print(f"pe-resources: {args.exe}: {error}", file=sys.stderr)
        return 2
    failures = []
    say = print

    def fail(text):
        failures.append(text)
        print(f"pe-resources: FAIL: {text}", file=sys.stderr)

    check_manifest(found, say, fail)
    check_icons(found, say, fail)
    check_version(found, args.version, say, fail)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
