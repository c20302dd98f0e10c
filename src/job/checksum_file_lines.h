#pragma once
// What a checksum file holds, as every checking tool reads it: UTF-8 without
// a byte-order mark, one entry per line, LF after each, nothing else.
//   .sha256, .sha1, .md5: "<lower-case hex><two spaces><path>"
//   .sfv:                 "<path><one space><8 upper-case hex digits>"
// Portable.

#include "hash/checksum_algorithm.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace lumbrix {

// The name the Save dialog proposes: the one selected item's name and the
// extension ("a.iso.sha256", "Photos.sha256"), or for several items the
// name of the folder that holds them. A drive's root has no name: its
// letter stands in ("D.sha256").
std::wstring DefaultChecksumFileName(std::wstring_view firstSelected, std::size_t selectedCount,
                                     ChecksumAlgorithm algorithm);

// The path a list in listFolder gives a file: relative with '/' between
// parts when the file lies below that folder (names compared as the file
// system compares them), otherwise the full path as it is.
void ListedPath(std::wstring_view fullPath, std::wstring_view listFolder, std::wstring& listed);

// Appends the entry line of digest for listedPath. False (out unchanged)
// when the path has no UTF-8 form (a lone surrogate in a name). Throws
// std::bad_alloc.
bool AppendChecksumFileLine(std::string& out, const ChecksumDigest& digest, std::wstring_view listedPath);

} // namespace lumbrix
