#include "shellext/command_menu.h"

#include "job/copy_request.h"
#include "shellext/command_table.h"

#include <iterator>

namespace lumbrix {
namespace {

constexpr int kSeparator = -1;

// The submenu from top to bottom: the copy commands, the checksum commands
// between two separators, the options. Every command of the table but the
// entry appears once.
constexpr int kLayout[] = {1, 2, 3, 4, 5, kSeparator, kCreateChecksumCommand, kVerifyCommand, kSeparator,
                           6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
static_assert(std::size(kLayout) == kCommandCount - 1 + 2, "each command once, and the two separators");

UINT IdentifierOf(UINT commandBase, int command) noexcept
{
    return commandBase + static_cast<UINT>(command) - 1;
}

void InsertCommand(HMENU menu, UINT position, UINT identifier, const wchar_t* label) noexcept
{
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.wID = identifier;
    item.dwTypeData = const_cast<wchar_t*>(label);
    ::InsertMenuItemW(menu, position, TRUE, &item);
}

void InsertSeparator(HMENU menu, UINT position) noexcept
{
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    item.fType = MFT_SEPARATOR;
    ::InsertMenuItemW(menu, position, TRUE, &item);
}

void Gray(HMENU menu, UINT commandBase, int command) noexcept
{
    ::EnableMenuItem(menu, IdentifierOf(commandBase, command), MF_BYCOMMAND | MF_GRAYED);
}

} // namespace

UniqueMenu BuildCommandMenu(UINT commandBase, bool isDriveRoot, std::uint64_t fileCount, std::uint64_t folderCount,
                            const OutputOptions& options) noexcept
{
    UniqueMenu menu(::CreatePopupMenu());
    UINT position = 0;
    for (const int command : kLayout) {
        if (command == kSeparator)
            InsertSeparator(menu.get(), position++);
        else
            InsertCommand(menu.get(), position++, IdentifierOf(commandBase, command), CommandAt(command).label);
    }

    for (int command = kFirstCopyCommand; command <= kLastCopyCommand; ++command)
        if (IsCopyCommandGrayed(command, isDriveRoot, fileCount, folderCount)) Gray(menu.get(), commandBase, command);
    SetOptionCheckMarks(menu.get(), commandBase, options);
    return menu;
}

bool IsCopyCommandGrayed(int command, bool isDriveRoot, std::uint64_t fileCount,
                         std::uint64_t folderCount) noexcept
{
    switch (command) {
    case RelativeOneLevelDown:
        return fileCount != 0 || folderCount != 1 || isDriveRoot;
    case FullPathWithSubfolders:
    case RelativeWithSubfolders:
        return fileCount != 0 && folderCount == 0;
    default:
        return false;
    }
}

void SetOptionCheckMarks(HMENU menu, UINT commandBase, const OutputOptions& options) noexcept
{
    for (int command = kFirstOptionCommand; command <= kLastOptionCommand; ++command)
        ::CheckMenuItem(menu, IdentifierOf(commandBase, command),
                        MF_BYCOMMAND | (options[OptionOfCommand(command)] ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace lumbrix
