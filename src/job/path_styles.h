#pragma once
// The forms of a line's path column that other programs and other people can
// use: the network name of a mapped drive, slashes, WSL and MSYS paths,
// quotes, and a name without its extension. Pure string work done in place in
// the line's own buffer, so a line costs no allocation once the buffer has
// grown (the URL form excepted, which is made as it always was); no system
// calls, portable.

#include "settings/output_options.h"
#include "settings/path_style.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix {

// What the column holds, by copy command: only full paths are looked up as
// network paths, and only the extension-less name command cuts the name.
enum class ColumnKind : std::uint8_t {
    FullPath,             // FullPath, FullPathWithSubfolders
    Relative,             // RelativeWithSubfolders, RelativeOneLevelDown
    Name,                 // NameOnly
    NameWithoutExtension, // the name with its last extension removed (files only)
};

// Everything that decides the column's form, fixed for a whole copy.
struct ColumnForm {
    PathStyle style = PathStyle::Windows;
    QuoteStyle quotes = QuoteStyle::None;
    bool doubleBackslashes = false; // EscapePathSeparator
    bool fileUrl = false;           // OutputURL
};

ColumnForm MakeColumnForm(const OutputOptions& options, PathStyle style, QuoteStyle quotes) noexcept;

// The UNC name that a drive letter (A to Z, upper case) stands for, looked up
// once per drive and copy (NetworkDriveNames); empty for a local or
// disconnected drive.
class DriveRemoteNames {
public:
    virtual std::wstring_view RemoteNameOf(wchar_t driveLetter) noexcept = 0;

protected:
    ~DriveRemoteNames() = default;
};

// The whole column, in this order: the name's extension (NameWithoutExtension,
// files only); the network name of a mapped drive (NetworkUnc, full paths
// only; before the URL form, so a mapped drive's URL names the share); the
// slash, WSL or MSYS form, unless the URL form takes the column; doubled
// backslashes, or else the file URL, exactly as without a style; the quotes.
// remoteNames may be null when the style is not NetworkUnc. Throws
// std::bad_alloc when the column must outgrow its buffer, or for the URL.
void FormPathColumn(std::wstring& column, ColumnKind kind, bool folder, const ColumnForm& form,
                    DriveRemoteNames* remoteNames);

// The steps, each on its own.

// Z:\d\f.txt becomes \\fs01\share\d\f.txt, the drive root the bare share
// (\\fs01\share). \\?\Z:\d becomes \\?\UNC\fs01\share\d when keepExtended,
// else \\fs01\share\d. False, and the path unchanged, for anything but a
// path on a drive that names a share.
bool ReplaceMappedDrive(std::wstring& path, DriveRemoteNames& remoteNames, bool keepExtended);

// Slashes, Wsl or Msys: every backslash becomes a slash; a drive becomes C:,
// /mnt/c or /c (a drive root keeps its separator: C:/, /mnt/c/, /c/); a
// network path begins //server/share. The extended-length prefix (\\?\C:\,
// \\?\UNC\srv\) goes: no program that wants slashes understands it. The other
// styles leave the path as it is.
void ApplyPathStyle(std::wstring& path, PathStyle style);

// Without its extended-length prefix: \\?\C:\x is C:\x, \\?\UNC\srv\x is \\srv\x.
void DropExtendedPrefix(std::wstring& path);

// Whether a command line would split or reinterpret the column: a space, one
// of & ( ) [ ] { } ^ = ; ! ' + , ` ~ %, or a double quote.
bool NeedsQuotes(std::wstring_view column) noexcept;

// Double quotes around the column, by quotes. A double quote inside (no
// Windows name has one; the column's forms never make one) is written twice,
// the way cmd, PowerShell and the C runtime's argument parser read it back.
void QuoteColumn(std::wstring& column, QuoteStyle quotes);

// Removes the last extension of the name after the last backslash: a.tar.gz
// becomes a.tar, "name." becomes name. A name whose dots all lead it
// (.gitignore, ..) stays whole.
void RemoveLastExtension(std::wstring& name);

// A UNC name without the backslashes it may end with (\\fs01\share\ is
// \\fs01\share); empty when it is not a network name at all.
std::wstring_view UsableRemoteName(std::wstring_view remote) noexcept;

} // namespace lumbrix
