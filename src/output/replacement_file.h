#pragma once
// A new file written beside its target under a temporary name, which takes the
// target's place only once every byte is in. Until then, and whenever writing
// fails or is cancelled, an existing file of that name stays as it was.

#include "common/unique_any.h"

#include <windows.h>

#include <string>

namespace lumbrix {

class ReplacementFile {
public:
    ReplacementFile() = default;
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;
    ~ReplacementFile() { Discard(); }

    // Checks that target may be replaced (an existing one must be writable and
    // not held by another program) and creates the temporary file in its
    // folder. False with the thread's last error set.
    [[nodiscard]] bool Create(const wchar_t* target) noexcept;
    HANDLE handle() const noexcept { return file_.get(); }

    // Flushes and closes the temporary file and moves it over the target.
    // False with the last error set; the temporary file is gone either way.
    [[nodiscard]] bool Commit() noexcept;
    // Closes and deletes the temporary file.
    void Discard() noexcept;

private:
    UniqueFile file_;
    std::wstring target_;
    std::wstring temporary_;
};

} // namespace lumbrix
