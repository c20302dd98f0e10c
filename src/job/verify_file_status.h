#pragma once
// An entry's status from what reading its file gave.

#include "job/checksum_store.h"

#include <string>
#include <string_view>

namespace lumbrix {

// From the digest columns that the hashing pass gave the entry's file
// ("\tSHA256:<hex>" and the like, or its failure column): Match or Mismatch
// when the expected algorithm's column is there, else as StatusOfUnreadFile.
VerifyStatus StatusFromColumns(const ChecksumDigest& expected, std::wstring_view columns,
                               const std::wstring& fullPath) noexcept;

// A file that gave no digest: NotFound when nothing of that name exists (or
// only a folder), Unreadable when it exists but could not be read.
VerifyStatus StatusOfUnreadFile(const std::wstring& fullPath) noexcept;

} // namespace lumbrix
