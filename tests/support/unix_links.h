#pragma once
// Folder links and drive letters the way Wine shows Unix symbolic links: a
// link to a folder is listed as a folder with a reparse point (0x410), and a
// link in the prefix's dosdevices folder is a drive letter. Wine cannot make
// them itself, so the test runs the Linux ln through its Z: drive.

#include <string>

namespace lumbrix::test {

// The Unix path behind a Windows path (Wine's own mapping).
std::string UnixPath(const std::wstring& windowsPath);

// Starts a program (a Linux one through Z:). Wine hands out no handle to wait
// for a Linux process, so callers watch for its effect instead.
bool StartProgram(const std::wstring& commandLine);

// Waits up to five seconds until path exists (present) or is gone.
bool WaitForAttributes(const std::wstring& path, bool present);

// Creates folder with its parents, or removes a tree, through the Linux tools:
// much faster than Wine for trees hundreds of levels deep.
bool MakeFoldersQuickly(const std::wstring& folder);
bool RemoveTreeQuickly(const std::wstring& path);

// Creates the empty files stem0.txt to stem<count-1>.txt in folder (which
// exists) through Linux: thousands in a moment, where Wine takes minutes.
bool MakeEmptyFilesQuickly(const std::wstring& folder, const std::wstring& stem, int count);

// Makes link a symbolic link to target: a Windows path, or a relative Unix
// path such as "../.." that is read from the link's folder.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);

// A free drive letter that leads to folder while the object lives.
class MappedDrive {
public:
    explicit MappedDrive(const std::wstring& folder);
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    bool ok() const noexcept { return !root_.empty(); }
    // "X:\" for the letter in use.
    const std::wstring& root() const noexcept { return root_; }

private:
    std::string unixLink_;
    std::wstring root_;
};

} // namespace lumbrix::test
