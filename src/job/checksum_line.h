#pragma once
// One line of a checksum list, in any of the forms people publish or this
// product writes, and one digest on its own. Portable.
//
// Entry lines (hex digits in either case):
//   GNU   "<hex>  <path>", "<hex> *<path>"; a leading backslash marks GNU's
//         escaped form ("\\" and "\n" inside the path)
//   BSD   "SHA256 (<path>) = <hex>", also SHA1, MD5 (and the other names
//         AlgorithmFromName knows), with GNU's leading backslash too
//   SFV   "<path> <8 hex digits>"
//   copy  "<path><TAB>...<TAB>SHA256:<hex>": this product's copy lines; the
//         strongest digest column wins (SHA-256, SHA-1, MD5, CRC32)
// ';' or '#' first makes a comment. Anything else is not understood.

#include "hash/checksum_algorithm.h"

#include <string>
#include <string_view>

namespace lumbrix {

enum class ChecksumLineKind { Entry, Blank, Comment, NotUnderstood };

struct ParsedChecksumLine {
    ChecksumDigest digest;
    // As written, '/' turned into '\'; never empty, no control characters.
    std::wstring path;
};

// parsed holds the entry of an Entry line (after any other kind it may hold
// anything). Throws std::bad_alloc.
ChecksumLineKind ParseChecksumLine(std::wstring_view line, ParsedChecksumLine& parsed);

// The digest of text that holds one and nothing else but white space (line
// breaks included): 8, 32, 40 or 64 hex digits, optionally after a tag
// ("SHA256:", "SHA-256:", "SHA1:", "SHA-1:", "MD5:", "CRC32:", any case)
// whose algorithm they must fit. False for anything else.
bool ParseSingleDigest(std::wstring_view text, ChecksumDigest& digest) noexcept;

// The column "<tag>:<hex>" of algorithm among TAB-separated columns (as the
// hashing pass appends them); false when there is none.
bool FindTaggedDigest(std::wstring_view columns, ChecksumAlgorithm algorithm, ChecksumDigest& digest) noexcept;

} // namespace lumbrix
