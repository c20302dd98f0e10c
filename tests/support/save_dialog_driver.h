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

// The dialog's title in each display language.
inline constexpr const wchar_t* kSaveDialogTitles[] = {L"Lumbrix64検索結果の保存", L"Save Lumbrix64 Results"};
// The create command's Save dialog, likewise.
inline constexpr const wchar_t* kChecksumDialogTitles[] = {L"チェックサム ファイルの保存", L"Save Checksum File"};

class SaveDialogDriver {
public:
    struct Visit {
        std::wstring initialName; // the file name field as the dialog opened
        std::wstring folder;      // the folder it opened in
    };

    // names[i] is typed at the i-th appearance of the Save dialog (one titled
    // as one of dialogTitles); an empty name, or none left, cancels it.
    // beforeConfirm runs right before a name is confirmed.
    explicit SaveDialogDriver(std::vector<std::wstring> names, int questionAnswer = IDYES,
                              std::function<void()> beforeConfirm = {},
                              std::vector<std::wstring> dialogTitles = {kSaveDialogTitles[0],
                                                                        kSaveDialogTitles[1]});

    std::vector<Visit> Visits() const;
    // Message boxes seen, in order (the question, error boxes, prompts).
    std::vector<SeenDialog> Boxes() const;

private:
    bool Handle(const SeenDialog& dialog);
    bool HandleSaveDialog(HWND dialog);

    std::vector<std::wstring> names_;
    int questionAnswer_;
    std::function<void()> beforeConfirm_;
    std::vector<std::wstring> dialogTitles_;
    mutable std::mutex mutex_;
    std::vector<Visit> visits_;
    std::vector<SeenDialog> boxes_;
    DialogWatcher watcher_; // last: its thread calls Handle
};

} // namespace lumbrix::test
