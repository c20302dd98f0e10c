#pragma once
// The Save dialog of the create command: where the checksum file goes, and
// which digest it holds.

#include "hash/checksum_algorithm.h"

#include <windows.h>

#include <string>

namespace lumbrix {

struct ChecksumFileChoice {
    std::wstring path; // full path
    ChecksumAlgorithm algorithm = ChecksumAlgorithm::None;
};

// Shows the Save dialog owned by owner, opened in folder with proposedName,
// the four file types offered (SHA-256 first). A name that ends in one of
// the four extensions (or is a checksum list's name such as SHA256SUMS)
// picks its type whatever type is shown; any other name gets the extension
// of the type shown, and the user is asked before an existing file of that
// name is replaced. The dialog comes back after a No there, and after a file
// that cannot be written there (the system's error is shown). False when the
// user cancels, or when the dialog cannot be shown.
[[nodiscard]] bool ChooseChecksumFile(HWND owner, const std::wstring& folder, const std::wstring& proposedName,
                                      ChecksumFileChoice& choice) noexcept;

} // namespace lumbrix
