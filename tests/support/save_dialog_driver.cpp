#include "support/save_dialog_driver.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>

namespace lumbrix::test {
namespace {

bool IsClass(HWND window, const wchar_t* name)
{
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    return ::lstrcmpiW(className, name) == 0;
}

// The file name field: an edit of its own, or the edit inside a combo box.
HWND FileNameField(HWND dialog)
{
    for (int id : {cmb13, edt1}) {
        HWND control = ::GetDlgItem(dialog, id);
        if (!control || !::IsWindowVisible(control)) continue;
        if (IsClass(control, L"Edit")) return control;
        if (HWND edit = ::FindWindowExW(control, nullptr, L"Edit", nullptr)) return edit;
        return control;
    }
    return nullptr;
}

} // namespace

SaveDialogDriver::SaveDialogDriver(std::vector<std::wstring> names, int questionAnswer,
                                   std::function<void()> beforeConfirm, std::vector<std::wstring> dialogTitles)
    : names_(std::move(names)), questionAnswer_(questionAnswer), beforeConfirm_(std::move(beforeConfirm)),
      dialogTitles_(std::move(dialogTitles)), watcher_([this](const SeenDialog& dialog) { return Handle(dialog); })
{
}

std::vector<SaveDialogDriver::Visit> SaveDialogDriver::Visits() const
{
    std::lock_guard lock(mutex_);
    return visits_;
}

std::vector<SeenDialog> SaveDialogDriver::Boxes() const
{
    std::lock_guard lock(mutex_);
    return boxes_;
}

bool SaveDialogDriver::Handle(const SeenDialog& dialog)
{
    const bool messageBox = ::GetDlgItem(dialog.window, 0xFFFF) != nullptr;
    const bool saveDialog = !messageBox && std::find(dialogTitles_.begin(), dialogTitles_.end(), dialog.caption) !=
                                               dialogTitles_.end();
    if (saveDialog) return HandleSaveDialog(dialog.window);
    {
        std::lock_guard lock(mutex_);
        boxes_.push_back(dialog);
    }
    const bool question = ::GetDlgItem(dialog.window, IDYES) && ::GetDlgItem(dialog.window, IDNO) &&
                          dialog.caption == L"Lumbrix64";
    if (question) {
        DialogWatcher::PressButton(dialog.window, questionAnswer_);
    } else if (::GetDlgItem(dialog.window, IDYES)) {
        DialogWatcher::PressButton(dialog.window, IDYES); // "replace the existing file?"
    } else {
        DialogWatcher::PressButton(dialog.window, IDOK);
    }
    return true;
}

bool SaveDialogDriver::HandleSaveDialog(HWND dialog)
{
    const HWND field = FileNameField(dialog);
    if (!field) return false; // still being built
    Visit visit;
    visit.initialName = DialogWatcher::WindowText(field);
    wchar_t folder[MAX_PATH * 4] = {};
    if (::SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH * 4, reinterpret_cast<LPARAM>(folder)) > 0)
        visit.folder = folder;
    std::wstring name;
    {
        std::lock_guard lock(mutex_);
        if (visits_.size() < names_.size()) name = names_[visits_.size()];
        visits_.push_back(visit);
    }
    if (name.empty()) {
        DialogWatcher::PressButton(dialog, IDCANCEL);
        return true;
    }
    ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (beforeConfirm_) beforeConfirm_();
    DialogWatcher::PressButton(dialog, IDOK);
    return true;
}

} // namespace lumbrix::test
