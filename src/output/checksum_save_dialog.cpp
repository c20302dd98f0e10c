#include "output/checksum_save_dialog.h"

#include "common/filled_text.h"
#include "common/long_path.h"
#include "common/message_box.h"
#include "common/text_table.h"
#include "job/path_strings.h"
#include "output/checksum_file_writer.h"
#include "output/save_dialog.h"

#include <iterator>
#include <memory>
#include <new>

namespace lumbrix {
namespace {

// The file types in the filter's order (nFilterIndex 1 to 4).
constexpr ChecksumAlgorithm kFileTypes[] = {ChecksumAlgorithm::Sha256, ChecksumAlgorithm::Sha1,
                                            ChecksumAlgorithm::Md5, ChecksumAlgorithm::Crc32};

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(ToExtendedLengthPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The question the dialog asks for a name it was given, for the name it was not.
bool MayReplace(HWND owner, const std::wstring& path)
{
    const std::wstring question = FilledText(IDS_REPLACE_QUESTION, L"%ls", NamePart(path).c_str());
    return ::MessageBoxW(owner, question.c_str(), Text(IDS_CHECKSUM_SAVE_TITLE),
                         MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

} // namespace

bool ChooseChecksumFile(HWND owner, const std::wstring& folder, const std::wstring& proposedName,
                        ChecksumFileChoice& choice) noexcept
try {
    const std::unique_ptr<wchar_t[]> fileName(new wchar_t[kSaveFileNameUnits]);
    std::wstring initial = JoinPath(folder, proposedName);
    if (initial.size() >= kSaveFileNameUnits) initial = proposedName.substr(0, kSaveFileNameUnits - 1);
    initial.copy(fileName.get(), initial.size());
    fileName[initial.size()] = L'\0';
    DWORD fileType = 1;
    wchar_t filter[256];
    for (;;) {
        OPENFILENAMEW dialog = {};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = owner;
        dialog.lpstrFilter = DialogFilter(IDS_CHECKSUM_SAVE_FILTER, filter, std::size(filter));
        dialog.nFilterIndex = fileType;
        dialog.lpstrFile = fileName.get();
        dialog.nMaxFile = kSaveFileNameUnits;
        dialog.lpstrInitialDir = folder.c_str();
        dialog.lpstrTitle = Text(IDS_CHECKSUM_SAVE_TITLE);
        dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                       OFN_EXPLORER | OFN_LONGNAMES;
        // No default extension: the dialog would append it even to a name
        // that ends in ".md5" where that extension is not registered.
        if (!RunSaveDialog(dialog)) return false;
        if (dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= std::size(kFileTypes)) fileType = dialog.nFilterIndex;

        std::wstring path = fileName.get();
        ChecksumAlgorithm algorithm = AlgorithmFromListName(path);
        if (algorithm == ChecksumAlgorithm::None) {
            algorithm = kFileTypes[fileType - 1];
            path += ChecksumFileExtension(algorithm);
            if (Exists(path) && !MayReplace(owner, path)) continue;
        }
        // A folder that cannot be written is told now, not after the reading.
        ChecksumFileWriter probe;
        if (!probe.Create(path, algorithm)) {
            ReportSystemError(::GetLastError());
            continue;
        }
        probe.Discard();
        choice = ChecksumFileChoice{std::move(path), algorithm};
        return true;
    }
} catch (const std::bad_alloc&) {
    ReportSystemError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

} // namespace lumbrix
