#pragma once
// Writes a checksum file: the entry lines go to a temporary file beside the
// target, which takes the target's place only when Commit is called after the
// last one. A cancel (Discard, or the writer's end without Commit) or any
// failure leaves an existing file of that name as it was, and no partial file.

#include "hash/checksum_algorithm.h"
#include "output/replacement_file.h"

#include <string>
#include <string_view>

namespace lumbrix {

class ChecksumFileWriter {
public:
    enum class AddResult {
        Listed,
        SkippedList, // the file is the list being written: its digest would be stale at once
        NotListable, // its name has no UTF-8 form (a lone surrogate)
        Failed,      // writing failed (the thread's last error says why); Commit will fail too
    };

    // Prepares the list at target (a full path) for algorithm's digests.
    // Call after the files to list have been gathered, so that the temporary
    // file is not among them. False with the thread's last error set.
    bool Create(const std::wstring& target, ChecksumAlgorithm algorithm) noexcept;
    // One file's line, in the order of the calls; digest is of the list's algorithm.
    AddResult Add(std::wstring_view fullPath, const ChecksumDigest& digest) noexcept;
    // Puts the complete list in place. False with the last error set; the
    // temporary file is gone either way.
    bool Commit() noexcept;
    void Discard() noexcept;
    // The target's ordinary form, as Create was given it.
    const std::wstring& Target() const noexcept { return target_; }

private:
    bool Flush() noexcept;

    ReplacementFile file_;
    ChecksumAlgorithm algorithm_ = ChecksumAlgorithm::None;
    std::wstring target_; // ordinary form
    std::wstring folder_;
    std::wstring listed_;
    std::string pending_; // lines not yet written
    bool failed_ = false;
};

} // namespace lumbrix
