#include "shellext/options_popup.h"

#include "common/unique_any.h"
#include "job/path_strings.h"
#include "shellext/command_menu.h"
#include "shellext/command_table.h"

namespace lumbrix {
namespace {

constexpr UINT kPopupCommandBase = 40001; // command n at 40000 + n

} // namespace

int RunOptionsPopup(HWND owner, CopyRequest& request) noexcept
{
    OutputOptions& options = request.options;
    LoadOutputOptions(options);
    const bool isDriveRoot = IsDriveRoot(request.selection.First());
    const UniqueMenu menu =
        BuildCommandMenu(kPopupCommandBase, isDriveRoot, request.fileCount, request.folderCount, options);

    for (;;) {
        SetOptionCheckMarks(menu.get(), kPopupCommandBase, options);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
            menu.get(), TPM_CENTERALIGN | TPM_VCENTERALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD,
            cursor.x, cursor.y, 0, owner, nullptr));
        const int command = chosen >= kPopupCommandBase ? static_cast<int>(chosen - kPopupCommandBase + 1) : 0;
        if (StartsJob(command)) return command;
        if (!IsOptionCommand(command)) return 0; // dismissed
        ToggleOutputOption(options, OptionOfCommand(command));
    }
}

} // namespace lumbrix
