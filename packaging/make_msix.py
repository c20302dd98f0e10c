#!/usr/bin/env python3
"""Packs the identity-only Windows 11 package: AppxManifest.xml and its
pictures (Assets/) from SOURCE into one .msix, with the block map and the
content types the package format asks for. Every payload file is stored (ZIP method
0), so a block is exactly 64 KiB of the file and carries no Size; only the
content types, which the block map does not cover, are deflated. The same
input gives the same bytes: fixed times, a fixed file order, no extra fields.

The manifest's Identity gets the version, the processor architecture and the
publisher: the subject of the certificate in --certificate (a PFX whose
password is read from LUMBRIX_SIGN_PASSWORD), or else Orvane with the
unsigned-package OID. Prints the package family name.

usage: make_msix.py --version A.B.C.D --arch x64|arm64 [--certificate PFX] SOURCE OUT.msix
"""
import argparse
import base64
import hashlib
import os
import pathlib
import re
import struct
import subprocess
import sys
import zlib
from xml.sax.saxutils import escape, quoteattr

UNSIGNED_PUBLISHER = "CN=Orvane, OID.2.25.311729368913984317654407730594956997722=1"
BLOCK = 65536
DOS_DATE_1980_01_01 = (1 << 5) | 1

# How Windows spells the attribute types of a distinguished name.
ATTRIBUTE_NAMES = {
    "2.5.4.3": "CN", "2.5.4.7": "L", "2.5.4.10": "O", "2.5.4.11": "OU",
    "1.2.840.113549.1.9.1": "E", "2.5.4.6": "C", "2.5.4.8": "S", "2.5.4.9": "STREET",
    "2.5.4.12": "T", "2.5.4.42": "G", "2.5.4.43": "I", "2.5.4.4": "SN",
    "0.9.2342.19200300.100.1.25": "DC", "2.5.4.5": "SERIALNUMBER", "2.5.4.13": "Description",
    "2.5.4.17": "PostalCode", "2.5.4.18": "POBox", "2.5.4.20": "Phone", "2.5.4.24": "X21Address",
    "2.5.4.46": "dnQualifier",
}


def der_items(data):
    """(tag, contents) of each DER element in data."""
    at = 0
    while at < len(data):
        tag, length = data[at], data[at + 1]
        at += 2
        if length & 0x80:
            count = length & 0x7F
            length = int.from_bytes(data[at:at + count], "big")
            at += count
        yield tag, data[at:at + length]
        at += length


def oid_text(body):
    first = body[0]
    parts, value = [min(first // 40, 2), first - 40 * min(first // 40, 2)], 0
    for byte in body[1:]:
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            parts.append(value)
            value = 0
    return ".".join(map(str, parts))


def string_value(tag, body):
    if tag == 0x1E:  # BMPString
        return body.decode("utf-16-be")
    if tag == 0x1C:  # UniversalString
        return body.decode("utf-32-be")
    return body.decode("utf-8" if tag == 0x0C else "latin-1")


def windows_name(subject):
    """A DER Name as Windows writes it: the last RDN first, ", " between them,
    a value in double quotes when it holds a special character."""
    parts = []
    for _, rdn in der_items(subject):
        attributes = list(der_items(rdn))
        if len(attributes) != 1:
            raise SystemExit("a certificate subject with a multi-valued part cannot be a package publisher")
        (oid_tag, oid), (value_tag, value) = der_items(attributes[0][1])
        oid = oid_text(oid)
        text = string_value(value_tag, value)
        if re.search(r'[,+="<>#;\r\n]', text) or text != text.strip():
            text = '"' + text.replace('"', '""') + '"'
        parts.append(f"{ATTRIBUTE_NAMES.get(oid, 'OID.' + oid)}={text}")
    return ", ".join(reversed(parts))


def certificate_subject(pfx):
    """The subject of the PFX's own certificate; the password goes through a pipe."""
    password = os.environ.get("LUMBRIX_SIGN_PASSWORD", "")
    pem = subprocess.run(["openssl", "pkcs12", "-in", pfx, "-nokeys", "-clcerts", "-passin", "stdin"],
                         input=(password + "\n").encode(), capture_output=True, check=True).stdout
    der = subprocess.run(["openssl", "x509", "-outform", "DER"], input=pem, capture_output=True,
                         check=True).stdout
    (_, certificate), = der_items(der)
    tbs = list(der_items(next(der_items(certificate))[1]))
    if tbs[0][0] == 0xA0:  # explicit version
        tbs = tbs[1:]
    return windows_name(tbs[4][1])  # serial, signature, issuer, validity, subject


def publisher_id(publisher):
    """13 characters: the first 64 bits of SHA-256 over the UTF-16LE publisher,
    five bits at a time (one zero bit appended) in Crockford's alphabet."""
    bits = int.from_bytes(hashlib.sha256(publisher.encode("utf-16-le")).digest()[:8], "big") << 1
    alphabet = "0123456789abcdefghjkmnpqrstvwxyz"
    return "".join(alphabet[(bits >> (60 - 5 * i)) & 31] for i in range(13))


def stamped_manifest(text, version, arch, publisher):
    def stamp(identity):
        element = identity.group(0)
        for name, value in (("Version", version), ("ProcessorArchitecture", arch), ("Publisher", publisher)):
            element, count = re.subn(rf'\s{name}="[^"]*"', lambda _: f" {name}={quoteattr(value)}", element)
            if count != 1:
                raise SystemExit(f"the manifest's Identity needs exactly one {name}")
        return element

    stamped, count = re.subn(r"<Identity\s[^>]*>", stamp, text)
    if count != 1:
        raise SystemExit("the manifest needs exactly one Identity element")
    return stamped


class ZipWriter:
    """ZIP without data descriptors or extra fields (a local header is 30
    bytes and the name) and without ZIP64, which the format leaves optional."""

    def __init__(self):
        self.data = bytearray()
        self.directory = bytearray()
        self.count = 0

    def add(self, name, payload, deflate=False):
        encoded = name.encode("ascii")
        method, stored = 0, payload
        if deflate:
            packer = zlib.compressobj(9, zlib.DEFLATED, -15)
            method, stored = 8, packer.compress(payload) + packer.flush()
        fields = (0, method, 0, DOS_DATE_1980_01_01, zlib.crc32(payload), len(stored), len(payload), len(encoded), 0)
        header = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, *fields) + encoded
        self.directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, *fields, 0, 0, 0, 0,
                                      len(self.data)) + encoded
        self.data += header + stored
        self.count += 1
        return len(header)

    def finish(self):
        if len(self.data) + len(self.directory) >= 1 << 32 or self.count >= 1 << 16:
            raise SystemExit("the package would need ZIP64")
        end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, self.count, self.count, len(self.directory),
                          len(self.data), 0)
        return bytes(self.data + self.directory + end)


def block_map_entry(name, payload, lfh_size):
    blocks = "".join(
        f'<Block Hash="{base64.b64encode(hashlib.sha256(payload[at:at + BLOCK]).digest()).decode()}"/>'
        for at in range(0, len(payload), BLOCK))
    return f'<File Name={quoteattr(name.replace("/", chr(92)))} Size="{len(payload)}" LfhSize="{lfh_size}">{blocks}</File>'


def content_types(names):
    defaults = sorted({name.rsplit(".", 1)[1].lower() for name in names if name != "AppxManifest.xml"})
    types = {"png": "image/png"}
    return ('<?xml version="1.0" encoding="UTF-8"?>\r\n'
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            + "".join(f'<Default Extension="{escape(ext)}" ContentType="{types.get(ext, "application/octet-stream")}"/>'
                      for ext in defaults)
            + '<Override PartName="/AppxManifest.xml" ContentType="application/vnd.ms-appx.manifest+xml"/>'
            '<Override PartName="/AppxBlockMap.xml" ContentType="application/vnd.ms-appx.blockmap+xml"/>'
            "</Types>")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--version", required=True)
    parser.add_argument("--arch", required=True, choices=["x64", "arm64"])
    parser.add_argument("--certificate")
    parser.add_argument("source", type=pathlib.Path)
    parser.add_argument("out", type=pathlib.Path)
    args = parser.parse_args()
    if not re.fullmatch(r"\d+(\.\d+){3}", args.version):
        raise SystemExit(f"the version must be a.b.c.d: {args.version}")

    publisher = certificate_subject(args.certificate) if args.certificate else UNSIGNED_PUBLISHER
    manifest = (args.source / "AppxManifest.xml").read_text(encoding="utf-8")
    payload = [("AppxManifest.xml", stamped_manifest(manifest, args.version, args.arch, publisher).encode("utf-8"))]
    payload += [(path.relative_to(args.source).as_posix(), path.read_bytes())
                for path in sorted((args.source / "Assets").iterdir()) if path.is_file()]

    package = ZipWriter()
    entries = [block_map_entry(name, data, package.add(name, data)) for name, data in payload]
    package.add("AppxBlockMap.xml", (
        '<?xml version="1.0" encoding="UTF-8"?>\r\n'
        '<BlockMap xmlns="http://schemas.microsoft.com/appx/2010/blockmap" '
        'HashMethod="http://www.w3.org/2001/04/xmlenc#sha256">' + "".join(entries) + "</BlockMap>").encode())
    # Deflated: a signing tool that rewrites this part compresses it, and
    # osslsigncode keeps the method of the entry it replaces.
    package.add("[Content_Types].xml", content_types([name for name, _ in payload]).encode(), deflate=True)

    args.out.parent.mkdir(parents=True, exist_ok=True)
    partial = args.out.with_suffix(".partial")
    partial.write_bytes(package.finish())
    partial.replace(args.out)
    name = re.search(r'<Identity\b[^>]*?\sName="([^"]*)"', manifest).group(1)
    print(f"{name}_{publisher_id(publisher)}")


if __name__ == "__main__":
    sys.exit(main())
