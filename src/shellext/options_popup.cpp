#include "shellext/options_popup.h"

#include "common/unique_any.h"
#include "job/copy_job.h"
#include "job/path_strings.h"
#include "shellext/command_menu.h"
#include "shellext/command_table.h"

namespace lumbrix {
namespace {

constexpr UINT kPopupCommandBase = 40001; // command n at 40000 + n

} // namespace

void RunOptionsPopup(CopyJob& job) noexcept
{
    // The toggle that brought us here has just been saved.
    LoadOutputOptions(job.options);
    const bool isDriveRoot = IsDriveRoot(job.selection.First());
    const UniqueMenu menu(
        BuildCommandMenu(kPopupCommandBase, isDriveRoot, job.fileCount, job.folderCount, job.options).menu);

    while (IsOptionCommand(job.mode)) {
        SetOptionCheckMarks(menu.get(), kPopupCommandBase, job.options);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        job.mode = 0;
        const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
            menu.get(), TPM_CENTERALIGN | TPM_VCENTERALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD,
            cursor.x, cursor.y, 0, job.ownerWindow, nullptr));
        const int command = chosen >= kPopupCommandBase ? static_cast<int>(chosen - kPopupCommandBase + 1) : 0;
        if (IsCopyCommand(command)) {
            job.mode = command;
        } else if (IsOptionCommand(command)) {
            const OptionFlag flag = OptionOfCommand(command);
            job.options[flag] = !job.options[flag];
            job.mode = command;
            SaveOutputOptions(job.options);
        }
        // Anything else (0: dismissed) leaves mode at 0 and ends the loop.
    }
}

} // namespace lumbrix
