#pragma once
// A real folder for one test, under the temporary folder, removed afterwards.

#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix::test {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const noexcept { return path_; }
    // path() + "\" + relative
    std::wstring operator/(std::wstring_view relative) const;

    // Creates a folder (and its parents) below the scratch folder; returns its path.
    std::wstring AddFolder(std::wstring_view relative) const;
    // Creates a file with the given bytes (parents created as needed); returns its path.
    std::wstring AddFile(std::wstring_view relative, std::string_view bytes = {}) const;
    // Creates a file of size bytes of a repeating pattern.
    std::wstring AddFileOfSize(std::wstring_view relative, std::uint64_t size) const;
    // Creates a file of size bytes, all zero, that costs no disk (sparse on the Linux side).
    std::wstring AddSparseFile(std::wstring_view relative, std::uint64_t size) const;

private:
    std::wstring path_;
};

// Deletes a folder tree (no error when it is already gone). Folder links are
// removed without following them.
void RemoveTree(const std::wstring& path);

// Creates path and any missing parents.
void CreateFolders(const std::wstring& path);

} // namespace lumbrix::test
