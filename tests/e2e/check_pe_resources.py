#!/usr/bin/python3
"""Reads the resources of the Windows programs back with pefile (Debian's python3-pefile).

The launchers as built carry the project's version information. vexil-stamp.exe,
run under Wine, makes copies whose icon group and version strings are the ones
given, whose other resources and sections are those of the launcher, with a
valid checksum, and leaves the launcher unchanged. The sample's greeter.exe
carries the sample's icon.
"""
import argparse
import hashlib
import os
import shutil
import struct
import subprocess
import sys

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def resources(pe):
    """{(type, name, language): bytes} of every resource."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name_entry in type_entry.directory.entries:
            for language in name_entry.directory.entries:
                key = (type_entry.id if type_entry.id is not None else str(type_entry.name),
                       name_entry.id if name_entry.id is not None else str(name_entry.name), language.id)
                data = language.data.struct
                found[key] = pe.get_data(data.OffsetToData, data.Size)
    return found


def version_strings(pe):
    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode("utf-8"): v.decode("utf-8") for k, v in table.entries.items()})
    return strings


def fixed_versions(pe):
    fixed = pe.VS_FIXEDFILEINFO[0]
    return ((fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF),
            (fixed.ProductVersionMS >> 16, fixed.ProductVersionMS & 0xFFFF, fixed.ProductVersionLS >> 16,
             fixed.ProductVersionLS & 0xFFFF))


def icon_images(ico):
    """[(group entry without its id, image bytes)] of an .ico file."""
    count = struct.unpack_from("<H", ico, 4)[0]
    images = []
    for i in range(count):
        entry = ico[6 + 16 * i: 6 + 16 * i + 16]
        size, offset = struct.unpack_from("<II", entry, 8)
        images.append((entry[:12], ico[offset:offset + size]))
    return images


def check_icon(name, found, ico):
    group = found.get((RT_GROUP_ICON, 1, 0x409))
    check(group is not None, f"{name}: no icon group 1")
    if group is None:
        return
    images = icon_images(ico)
    check(struct.unpack_from("<HHH", group, 0) == (0, 1, len(images)), f"{name}: icon group header {group[:6]!r}")
    for i, (entry, image) in enumerate(images):
        member = group[6 + 14 * i: 6 + 14 * i + 14]
        icon_id = struct.unpack_from("<H", member, 12)[0]
        check(member[:12] == entry, f"{name}: icon group entry {i} differs from the .ico's")
        check(found.get((RT_ICON, icon_id, 0x409)) == image, f"{name}: icon {icon_id} is not image {i} of the .ico")
    check(sum(1 for key in found if key[0] == RT_ICON) == len(images), f"{name}: icons beyond the .ico's")


def main():
    parser = argparse.ArgumentParser()
    for option in ("wine-run", "prefix", "stamp", "console", "windowed", "greeter", "icon", "version", "work"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    args.wine_run, args.prefix = os.path.abspath(args.wine_run), os.path.abspath(args.prefix)
    version = args.version
    numbers = tuple(int(part) for part in (version.split(".") + ["0"] * 4)[:4])
    with open(args.icon, "rb") as file:
        ico = file.read()

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    shutil.copy(args.stamp, os.path.join(args.work, "vexil-stamp.exe"))
    shutil.copy(args.icon, os.path.join(args.work, "app.ico"))

    for kind, built in (("console", args.console), ("windowed", args.windowed)):
        launcher = pefile.PE(built)
        strings = version_strings(launcher)
        check(strings.get("ProductName") == "Vexil", f"{built}: product name {strings.get('ProductName')!r}")
        check(strings.get("ProductVersion") == version and strings.get("FileVersion") == version,
              f"{built}: versions {strings}")
        check(f"({kind})" in strings.get("FileDescription", ""), f"{built}: description {strings.get('FileDescription')!r}")
        check(fixed_versions(launcher) == (numbers, numbers), f"{built}: fixed versions {fixed_versions(launcher)}")

        # Stamp a copy under Wine; the texts hold characters beyond ASCII.
        source = os.path.join(args.work, kind + ".exe")
        shutil.copy(built, source)
        with open(source, "rb") as file:
            before = hashlib.sha256(file.read()).hexdigest()
        output = kind + "-MyApp.exe"
        fields = {"ProductName": "My Äpp", "CompanyName": "Exämple Ltd", "FileDescription": "My application",
                  "LegalCopyright": "© 2026 Exämple", "FileVersion": "3.1.4.1", "ProductVersion": "3.1"}
        run = subprocess.run(["sh", args.wine_run, args.prefix, "vexil-stamp.exe", "--icon", "app.ico",
                              "--product-name", fields["ProductName"], "--company", fields["CompanyName"],
                              "--description", fields["FileDescription"], "--copyright", fields["LegalCopyright"],
                              "--file-version", fields["FileVersion"], "--product-version", fields["ProductVersion"],
                              kind + ".exe", output], cwd=args.work, capture_output=True)
        check(run.returncode == 0 and run.stdout == b"", f"vexil-stamp on {kind}: {run.returncode} {run.stdout!r} {run.stderr!r}")
        if run.returncode != 0:
            continue
        with open(source, "rb") as file:
            check(hashlib.sha256(file.read()).hexdigest() == before, f"{kind}: the launcher changed")

        stamped = pefile.PE(os.path.join(args.work, output))
        check(stamped.verify_checksum(), f"{output}: wrong checksum")
        check(not stamped.get_warnings(), f"{output}: pefile warns {stamped.get_warnings()}")
        expected = dict(fields, OriginalFilename=output, InternalName=output[:-4])
        check(version_strings(stamped) == expected, f"{output}: version strings {version_strings(stamped)}")
        check(fixed_versions(stamped) == ((3, 1, 4, 1), (3, 1, 0, 0)), f"{output}: fixed versions {fixed_versions(stamped)}")
        found = resources(stamped)
        check_icon(output, found, ico)
        # Every other resource of the launcher is there unchanged, its manifest first of all.
        manifests = [key for key in resources(launcher) if key[0] == RT_MANIFEST]
        check(manifests and all(found.get(key) == resources(launcher)[key] for key in manifests),
              f"{output}: manifest {manifests} not kept")
        for key, data in resources(launcher).items():
            if key[0] not in (RT_ICON, RT_GROUP_ICON, RT_VERSION):
                check(found.get(key) == data, f"{output}: resource {key} lost or changed")
        # The code and data: every section of the launcher but its resources, byte for byte, at the same address.
        old_resources = launcher.OPTIONAL_HEADER.DATA_DIRECTORY[2].VirtualAddress
        sections = {(s.VirtualAddress, bytes(s.get_data())) for s in stamped.sections}
        for section in launcher.sections:
            if section.contains_rva(old_resources):
                continue
            check((section.VirtualAddress, bytes(section.get_data())) in sections, f"{output}: section {section.Name!r} changed")
        check(stamped.OPTIONAL_HEADER.AddressOfEntryPoint == launcher.OPTIONAL_HEADER.AddressOfEntryPoint,
              f"{output}: entry point moved")

    greeter = pefile.PE(args.greeter)
    check_icon(args.greeter, resources(greeter), ico)
    strings = version_strings(greeter)
    check(strings.get("ProductName") == "Greeter" and strings.get("FileVersion") == version,
          f"{args.greeter}: version strings {strings}")

    for failure in failures:
        print("FAILED:", failure)
    if failures:
        return 1
    shutil.rmtree(args.work, ignore_errors=True)
    print("claunch.exe, wlaunch.exe, their stamped copies and greeter.exe: resources as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
