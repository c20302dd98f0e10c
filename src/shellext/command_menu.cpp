#include "shellext/command_menu.h"

#include "common/text_table.h"
#include "job/copy_request.h"
#include "shellext/command_table.h"

#include <iterator>
#include <span>

namespace lumbrix {
namespace {

constexpr int kSeparator = -1;
constexpr int kPathFormSubmenu = -2;

// The submenu from top to bottom: the copy commands, the checksum commands
// between two separators, the options, and the nested submenu of the path
// forms. Every command of the table but the entry appears once in the two.
constexpr int kLayout[] = {1, 2, 3, 4, 5, kNameWithoutExtensionCommand, kSeparator, kCreateChecksumCommand,
                           kVerifyCommand, kSeparator, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, kPathFormSubmenu};
constexpr int kPathFormLayout[] = {18, 19, 20, 21, 22, kSeparator, 23, 24, 25, kSeparator, kSingleLineCommand};
static_assert(std::size(kLayout) + std::size(kPathFormLayout) == kCommandCount - 1 + 4 + 1,
              "each command once, the four separators and the nested submenu");

UINT IdentifierOf(UINT commandBase, int command) noexcept
{
    return commandBase + static_cast<UINT>(command) - 1;
}

void InsertCommand(HMENU menu, UINT position, UINT identifier, const wchar_t* label, bool radio) noexcept
{
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
    item.fType = radio ? MFT_STRING | MFT_RADIOCHECK : MFT_STRING;
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

// The items of layout into menu, a nested submenu where it says so.
void InsertItems(HMENU menu, UINT commandBase, std::span<const int> layout) noexcept;

void InsertPathFormSubmenu(HMENU menu, UINT position, UINT commandBase) noexcept
{
    UniqueMenu submenu(::CreatePopupMenu());
    InsertItems(submenu.get(), commandBase, kPathFormLayout);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_SUBMENU | MIIM_STRING | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.hSubMenu = submenu.get();
    item.dwTypeData = const_cast<wchar_t*>(Text(IDS_PATH_FORM_ENTRY));
    if (::InsertMenuItemW(menu, position, TRUE, &item)) static_cast<void>(submenu.release()); // menu owns it now
}

void InsertItems(HMENU menu, UINT commandBase, std::span<const int> layout) noexcept
{
    UINT position = 0;
    for (const int command : layout) {
        if (command == kSeparator)
            InsertSeparator(menu, position++);
        else if (command == kPathFormSubmenu)
            InsertPathFormSubmenu(menu, position++, commandBase);
        else
            InsertCommand(menu, position++, IdentifierOf(commandBase, command), CommandAt(command).label,
                          IsStyleCommand(command));
    }
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
    InsertItems(menu.get(), commandBase, kLayout);

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
    // By command, so that the nested submenu's items are found as well.
    for (int command = 1; command < kCommandCount; ++command)
        if (IsOptionCommand(command))
            ::CheckMenuItem(menu, IdentifierOf(commandBase, command),
                            MF_BYCOMMAND | (IsChosen(options, OptionOfCommand(command)) ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace lumbrix
