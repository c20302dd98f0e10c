#!/usr/bin/env python3
"""The sparse package's manifest: well-formed, its verbs and its COM class name
the class id that the DLL serves (module_identity.h), its application starts
nothing harmful, every picture it names is present (the packer stamps the
version; package_reader.py checks it).
Arguments: the manifest, src/."""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

NS = {
    "m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
    "uap": "http://schemas.microsoft.com/appx/manifest/uap/windows10",
    "uap10": "http://schemas.microsoft.com/appx/manifest/uap/windows10/10",
    "desktop4": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/4",
    "desktop5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
    "com": "http://schemas.microsoft.com/appx/manifest/com/windows10",
}


def served_class_id(header):
    """The CLSID_LumbrixExplorerCommand initialiser as a GUID string."""
    match = re.search(r"CLSID_LumbrixExplorerCommand = \{\s*0x(\w+), 0x(\w+), 0x(\w+), \{([^}]*)\}", header)
    data4 = [int(byte, 16) for byte in re.findall(r"0x(\w+)", match.group(4))]
    tail = "".join(f"{byte:02X}" for byte in data4)
    return (f"{int(match.group(1), 16):08X}-{int(match.group(2), 16):04X}-{int(match.group(3), 16):04X}-"
            f"{tail[:4]}-{tail[4:]}")


def main():
    manifest, src = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    root = ET.parse(manifest).getroot()  # raises on malformed XML
    failures = []

    def expect(condition, message):
        if not condition:
            failures.append(message)

    clsid = served_class_id((src / "common/module_identity.h").read_text(encoding="utf-8"))
    menus = root.find(".//desktop4:Extension[@Category='windows.fileExplorerContextMenus']", NS)
    types = {item.get("Type"): [verb.get("Clsid") for verb in item.findall("desktop5:Verb", NS)]
             for item in menus.findall(".//desktop5:ItemType", NS)}
    expect(types == {"*": [clsid], "Directory": [clsid]}, f"verbs for files and folders name {clsid}: {types}")
    classes = root.findall(".//com:SurrogateServer/com:Class", NS)
    expect([(c.get("Id"), c.get("Path")) for c in classes] == [(clsid, "Lumbrix64.dll")],
           "one COM class, the served one, in Lumbrix64.dll")
    expect(root.findtext("m:Properties/uap10:AllowExternalContent", namespaces=NS) == "true",
           "external content allowed")

    # The package must name an application; its program, started by hand, is
    # the uninstaller, which only /ABOUT keeps from uninstalling.
    application = root.find("m:Applications/m:Application", NS)
    expect(application.get("Executable") == "uninstall.exe"
           and "/ABOUT" in application.get(f"{{{NS['uap10']}}}Parameters", "").split(),
           "the application is the uninstaller given /ABOUT")

    visuals = root.find(".//uap:VisualElements", NS)
    for picture in [root.findtext("m:Properties/m:Logo", namespaces=NS),
                    visuals.get("Square150x150Logo"), visuals.get("Square44x44Logo")]:
        expect((manifest.parent / picture.replace("\\", "/")).is_file(), f"{picture} is in the package folder")

    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
