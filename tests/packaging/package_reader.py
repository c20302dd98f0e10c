#!/usr/bin/env python3
"""Reads a built .msix with Python's own zipfile, apart from the packer:
every payload file is in the block map with its size, its local header size
and the SHA-256 of each 64 KiB block; every part has a content type; the
manifest carries the expected version, architecture and publisher. Prints
the package family name, computed here on its own, when all holds.

usage: package_reader.py PACKAGE --version V --arch A (--unsigned | --publisher P)
       package_reader.py PACKAGE ... --tamper   the same checks must fail on a copy with one byte changed
"""
import argparse
import base64
import hashlib
import io
import struct
import sys
import xml.etree.ElementTree as ET
import zipfile

BLOCK_MAP = "{http://schemas.microsoft.com/appx/2010/blockmap}"
TYPES = "{http://schemas.openxmlformats.org/package/2006/content-types}"
FOOTPRINT = {"AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x", "AppxMetadata/CodeIntegrity.cat"}
UNSIGNED_OID = "OID.2.25.311729368913984317654407730594956997722=1"


def family_name(name, publisher):
    digest = hashlib.sha256(publisher.encode("utf-16-le")).digest()[:8]
    # 64 bits and a zero bit are 13 base-32 digits; Crockford's letters.
    standard = base64.b32encode(digest + b"\0\0").decode()[:13]
    crockford = standard.translate(str.maketrans("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567", "0123456789ABCDEFGHJKMNPQRSTVWXYZ"))
    return f"{name}_{crockford.lower()}"


def problems(data, args):
    found = []
    archive = zipfile.ZipFile(io.BytesIO(data))
    entries = {info.filename: info for info in archive.infolist()}
    block_map = ET.fromstring(archive.read("AppxBlockMap.xml"))
    if block_map.get("HashMethod") != "http://www.w3.org/2001/04/xmlenc#sha256":
        found.append(f"hash method {block_map.get('HashMethod')}")
    mapped = {}
    for file in block_map.findall(BLOCK_MAP + "File"):
        mapped[file.get("Name").replace("\\", "/")] = file
    payload = sorted(set(entries) - FOOTPRINT)
    if sorted(mapped) != payload:
        found.append(f"block map lists {sorted(mapped)}, the package holds {payload}")
    for name in payload:
        info, file = entries[name], mapped.get(name)
        if file is None:
            continue
        content = archive.read(name)
        start = info.header_offset
        name_length, extra_length = struct.unpack("<HH", data[start + 26:start + 30])
        if int(file.get("Size")) != len(content) or int(file.get("LfhSize")) != 30 + name_length + extra_length:
            found.append(f"{name}: Size {file.get('Size')} LfhSize {file.get('LfhSize')}, "
                         f"the package has {len(content)} and {30 + name_length + extra_length}")
        blocks = file.findall(BLOCK_MAP + "Block")
        expected = [base64.b64encode(hashlib.sha256(content[at:at + 65536]).digest()).decode()
                    for at in range(0, len(content), 65536)]
        if [block.get("Hash") for block in blocks] != expected:
            found.append(f"{name}: block hashes differ from the file's")
        if info.compress_type == zipfile.ZIP_STORED and any(block.get("Size") for block in blocks):
            found.append(f"{name}: a stored file's blocks carry a Size")

    types = ET.fromstring(archive.read("[Content_Types].xml"))
    defaults = {item.get("Extension").lower() for item in types.findall(TYPES + "Default")}
    overrides = {item.get("PartName").lower() for item in types.findall(TYPES + "Override")}
    for name in set(entries) - {"[Content_Types].xml"}:
        if "/" + name.lower() not in overrides and name.rsplit(".", 1)[-1].lower() not in defaults:
            found.append(f"{name} has no content type")

    identity = ET.fromstring(archive.read("AppxManifest.xml")).find(
        "{http://schemas.microsoft.com/appx/manifest/foundation/windows10}Identity")
    publisher = identity.get("Publisher")
    if identity.get("Version") != args.version or identity.get("ProcessorArchitecture") != args.arch:
        found.append(f"identity {identity.get('Version')} {identity.get('ProcessorArchitecture')}")
    if args.unsigned and not publisher.endswith(", " + UNSIGNED_OID):
        found.append(f"an unsigned package's publisher without the OID: {publisher}")
    if args.publisher is not None and (publisher != args.publisher or UNSIGNED_OID in publisher):
        found.append(f"publisher {publisher!r}, expected {args.publisher!r}")
    return found, family_name(identity.get("Name"), publisher)


def tampered(data):
    """The same package with one payload byte changed and the ZIP itself intact."""
    source, out = zipfile.ZipFile(io.BytesIO(data)), io.BytesIO()
    with zipfile.ZipFile(out, "w") as copy:
        for info in source.infolist():
            content = source.read(info)
            if info.filename.endswith(".png"):
                content = content[:-1] + bytes([content[-1] ^ 1])
            copy.writestr(info, content)
    return out.getvalue()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("package")
    parser.add_argument("--version", required=True)
    parser.add_argument("--arch", required=True)
    parser.add_argument("--unsigned", action="store_true")
    parser.add_argument("--publisher")
    parser.add_argument("--tamper", action="store_true")
    args = parser.parse_args()
    data = open(args.package, "rb").read()
    if args.tamper:
        found, _ = problems(tampered(data), args)
        print("the changed copy fails: " + "; ".join(found) if found else "FAILED: a changed file went unnoticed")
        return 0 if found else 1
    found, family = problems(data, args)
    for problem in found:
        print("FAILED:", problem)
    if not found:
        print(family)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
