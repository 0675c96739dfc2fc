#!/usr/bin/env python3
"""Reads the application manifest back from a Windows program's resources and
checks the settings the launchers depend on.

    check_manifest.py PROGRAM.exe [--dpi-aware]

--dpi-aware: the program must declare per-monitor display scaling; without
it, the program must not declare any.
"""
import sys
import xml.etree.ElementTree as ElementTree

import pefile

RT_MANIFEST = 24
# The id Windows reads when it starts a program.
PROCESS_MANIFEST_ID = 1

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SETTINGS_2019 = "http://schemas.microsoft.com/SMI/2019/WindowsSettings"
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def manifest_resources(path):
    """{id: bytes} of every RT_MANIFEST resource of the program."""
    image = pefile.PE(path, fast_load=True)
    image.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    found = {}
    resources = getattr(image, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id != RT_MANIFEST:
            continue
        for entry in kind.directory.entries:
            for language in entry.directory.entries:
                data = language.data.struct
                found[entry.id] = image.get_data(data.OffsetToData, data.Size)
    return found


def texts(root, path, namespaces):
    return [element.text.strip() if element.text else "" for element in root.findall(path, namespaces)]


def problems_of(manifest, dpi_aware):
    root = ElementTree.fromstring(manifest)
    ns = {"asm": ASM_V1, "v3": ASM_V3, "compat": COMPATIBILITY, "s2005": SETTINGS_2005, "s2016": SETTINGS_2016,
          "s2019": SETTINGS_2019}
    settings = "v3:application/v3:windowsSettings/"
    problems = []
    expected = [
        (settings + "s2019:activeCodePage", ["UTF-8"]),
        (settings + "s2016:longPathAware", ["true"]),
    ]
    if dpi_aware:
        expected += [(settings + "s2005:dpiAware", ["true/pm"]),
                     (settings + "s2016:dpiAwareness", ["PerMonitorV2, PerMonitor"])]
    else:
        expected += [(settings + "s2005:dpiAware", []), (settings + "s2016:dpiAwareness", [])]
    for path, want in expected:
        got = texts(root, path, ns)
        if got != want:
            problems.append(f"{path}: {got} instead of {want}")
    systems = [element.get("Id") for element in root.findall("compat:compatibility/compat:application/compat:supportedOS", ns)]
    if WINDOWS_10 not in systems:
        problems.append(f"Windows 10 and 11 are not among the supported systems {systems}")
    levels = [element.get("level") for element in
              root.findall("v3:trustInfo/v3:security/v3:requestedPrivileges/v3:requestedExecutionLevel", ns)]
    if levels != ["asInvoker"]:
        problems.append(f"requested execution level {levels} instead of ['asInvoker']")
    return problems


def main(arguments):
    if not arguments or arguments[0].startswith("-"):
        print(__doc__, file=sys.stderr)
        return 2
    program, dpi_aware = arguments[0], "--dpi-aware" in arguments[1:]
    manifests = manifest_resources(program)
    if list(manifests) != [PROCESS_MANIFEST_ID]:
        print(f"{program}: manifest resources {sorted(manifests)} instead of [{PROCESS_MANIFEST_ID}]")
        return 1
    problems = problems_of(manifests[PROCESS_MANIFEST_ID], dpi_aware)
    for problem in problems:
        print(f"{program}: {problem}")
    if not problems:
        print(f"{program}: manifest {PROCESS_MANIFEST_ID} declares the UTF-8 code page, long paths, Windows 10"
              + (" and per-monitor scaling" if dpi_aware else ""))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
