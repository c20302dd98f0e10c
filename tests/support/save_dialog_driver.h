#pragma once
// Plays the user in front of SaveToFile, or of the create command's Save
// dialog: answers the question (any Yes/No box of the product), types a name
// into the Save dialog (or cancels it) and confirms every other box.

#include "support/dialog_watcher.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace lumbrix::test {

inline constexpr wchar_t kSaveDialogTitle[] = L"Lumbrix64検索結果の保存";

class SaveDialogDriver {
public:
    struct Visit {
        std::wstring initialName; // the file name field as the dialog opened
        std::wstring folder;      // the folder it opened in
    };

    // names[i] is typed at the i-th appearance of the Save dialog (the one
    // titled dialogTitle); an empty name, or none left, cancels it.
    // beforeConfirm runs right before a name is confirmed.
    explicit SaveDialogDriver(std::vector<std::wstring> names, int questionAnswer = IDYES,
                              std::function<void()> beforeConfirm = {},
                              std::wstring dialogTitle = kSaveDialogTitle);

    std::vector<Visit> Visits() const;
    // Message boxes seen, in order (the question, error boxes, prompts).
    std::vector<SeenDialog> Boxes() const;

private:
    bool Handle(const SeenDialog& dialog);
    bool HandleSaveDialog(HWND dialog);

    std::vector<std::wstring> names_;
    int questionAnswer_;
    std::function<void()> beforeConfirm_;
    std::wstring dialogTitle_;
    mutable std::mutex mutex_;
    std::vector<Visit> visits_;
    std::vector<SeenDialog> boxes_;
    DialogWatcher watcher_; // last: its thread calls Handle
};

} // namespace lumbrix::test
