// The handler's intake of the selection and the menu it inserts: entry,
// submenu layout, gray rules, check marks, the entry's bitmap and the failure
// of the insertion.

#include "common/message_box.h"
#include "common/system_error_text.h"
#include "handler_fixture.h"
#include "settings/options_key_guard.h"
#include "shellext/command_table.h"
#include "support/dialog_watcher.h"
#include "support/drop_data_object.h"
#include "support/scratch_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cwchar>
#include <set>

namespace lumbrix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr UINT kFirst = 100; // idCmdFirst as the shell might pass it

std::vector<std::wstring> Paths(const SelectionList& selection)
{
    return {selection.begin(), selection.end()};
}

class HandlerIntake : public ::testing::Test {
protected:
    OptionsKeyGuard optionsKey_;
    ScratchFolder scratch_;
    ComPtr<LumbrixMenu> handler_ = NewHandler();
};

TEST_F(HandlerIntake, RefusesMissingDataObjectAndDataWithoutDropList)
{
    const std::wstring file = scratch_.AddFile(L"kept.txt");
    auto list = DropDataObject::Of({file});
    ASSERT_EQ(handler_->Initialize(nullptr, &list, nullptr), S_OK);

    EXPECT_EQ(handler_->Initialize(nullptr, nullptr, nullptr), E_FAIL);
    DropDataObject noDropList(DropBlock({L"C:\\"}), /*offersHdrop=*/false);
    EXPECT_EQ(handler_->Initialize(nullptr, &noDropList, nullptr), E_FAIL);
    EXPECT_THAT(Paths(handler_->selection), ElementsAre(file)) << "a refused call leaves the handler as it was";
    EXPECT_EQ(handler_->fileCount, 1u);
}

TEST_F(HandlerIntake, RefusesListsThatRunPastTheirBlock)
{
    std::vector<BYTE> unterminated = DropBlock({L"C:\\a"});
    unterminated.resize(unterminated.size() - 4); // no closing empty name, no terminator
    DropDataObject cut(unterminated);
    EXPECT_EQ(handler_->Initialize(nullptr, &cut, nullptr), E_FAIL);

    std::vector<BYTE> farOffset = DropBlock({L"C:\\a"});
    reinterpret_cast<DROPFILES*>(farOffset.data())->pFiles = 0x10000;
    DropDataObject outside(farOffset);
    EXPECT_EQ(handler_->Initialize(nullptr, &outside, nullptr), E_FAIL);

    std::vector<BYTE> singleNul = DropBlock({});
    singleNul.pop_back(); // the reader would take the bytes after it as names
    singleNul.pop_back();
    DropDataObject garbage(singleNul);
    EXPECT_EQ(handler_->Initialize(nullptr, &garbage, nullptr), E_FAIL);
    EXPECT_TRUE(handler_->selection.Empty());
}

TEST_F(HandlerIntake, EmptyListGivesEmptySelectionAndZeroCounts)
{
    auto filled = DropDataObject::Of({scratch_.AddFolder(L"d")});
    ASSERT_EQ(handler_->Initialize(nullptr, &filled, nullptr), S_OK);
    auto empty = DropDataObject::Of({});
    EXPECT_EQ(handler_->Initialize(nullptr, &empty, nullptr), S_OK);
    EXPECT_TRUE(handler_->selection.Empty());
    EXPECT_EQ(handler_->fileCount, 0u);
    EXPECT_EQ(handler_->folderCount, 0u);
}

TEST_F(HandlerIntake, SortsCaseInsensitivelyKeepsFirstOfEqualNamesAndCountsEveryName)
{
    const std::wstring folder = scratch_.AddFolder(L"Sub");
    const std::wstring b = scratch_.AddFile(L"b.txt");
    const std::wstring a = scratch_.AddFile(L"A.txt");
    const std::wstring missing = scratch_ / L"c-missing";
    std::wstring folderUpper = scratch_ / L"SUB";
    auto list = DropDataObject::Of({b, folder, missing, a, folderUpper});
    ASSERT_EQ(handler_->Initialize(nullptr, &list, nullptr), S_OK);
    EXPECT_THAT(Paths(handler_->selection), ElementsAre(a, b, missing, folder));
    EXPECT_EQ(handler_->folderCount, 2u) << "the duplicate folder counts as well";
    EXPECT_EQ(handler_->fileCount, 3u) << "an unreadable path counts as a file";
}

TEST_F(HandlerIntake, TakesLongNamesLoneSurrogatesAndThousandsOfItemsIntact)
{
    std::wstring longest(32767, L'x');
    longest.replace(0, 3, L"C:\\");
    const std::wstring loneHigh = scratch_ / std::wstring(L"a\xD800z");
    const std::wstring loneLow = scratch_ / std::wstring(L"b\xDC00");
    std::vector<std::wstring> names{longest, loneHigh, loneLow};
    for (int i = 0; i < 1000; ++i) names.push_back(scratch_ / (L"item" + std::to_wstring(i)));
    auto list = DropDataObject::Of(names);
    ASSERT_EQ(handler_->Initialize(nullptr, &list, nullptr), S_OK);
    ASSERT_EQ(handler_->selection.Size(), names.size());
    EXPECT_EQ(handler_->fileCount, names.size());
    const std::set<std::wstring> taken(handler_->selection.begin(), handler_->selection.end());
    EXPECT_EQ(taken.count(longest), 1u);
    EXPECT_EQ(taken.count(loneHigh), 1u);
    EXPECT_EQ(taken.count(loneLow), 1u);
}

TEST_F(HandlerIntake, ReadsTheShellsOwnDataObjectAndLoadsTheStoredOptions)
{
    StoreOption(OutputMD5, 1);
    scratch_.AddFile(L"file.txt");
    scratch_.AddFolder(L"folder");
    ComPtr<IShellFolder> desktop;
    ASSERT_EQ(::SHGetDesktopFolder(desktop.put()), S_OK);
    std::wstring parentPath = scratch_.path();
    PIDLIST_RELATIVE parentId = nullptr;
    ASSERT_EQ(desktop->ParseDisplayName(nullptr, nullptr, parentPath.data(), nullptr, &parentId, nullptr), S_OK);
    ComPtr<IShellFolder> parent;
    ASSERT_EQ(desktop->BindToObject(parentId, nullptr, IID_IShellFolder, parent.put_void()), S_OK);
    ::CoTaskMemFree(parentId);
    PITEMID_CHILD children[2] = {};
    wchar_t names[2][16] = {L"file.txt", L"folder"};
    for (int i = 0; i < 2; ++i) {
        PIDLIST_RELATIVE child = nullptr;
        ASSERT_EQ(parent->ParseDisplayName(nullptr, nullptr, names[i], nullptr, &child, nullptr), S_OK);
        children[i] = static_cast<PITEMID_CHILD>(child);
    }
    ComPtr<IDataObject> data;
    ASSERT_EQ(parent->GetUIObjectOf(nullptr, 2, const_cast<PCUITEMID_CHILD_ARRAY>(children), IID_IDataObject,
                                    nullptr, data.put_void()),
              S_OK);
    for (PITEMID_CHILD child : children) ::CoTaskMemFree(child);
    // The kinds come from the shell's item list, not from the disk: the folder
    // still counts as one after it is gone.
    ASSERT_TRUE(::RemoveDirectoryW((scratch_ / L"folder").c_str()));

    ASSERT_EQ(handler_->Initialize(nullptr, data.get(), nullptr), S_OK);
    EXPECT_THAT(Paths(handler_->selection), ElementsAre(scratch_ / L"file.txt", scratch_ / L"folder"));
    EXPECT_EQ(handler_->fileCount, 1u);
    EXPECT_EQ(handler_->folderCount, 1u);
    EXPECT_TRUE(handler_->options[OutputMD5]);
    EXPECT_TRUE(handler_->options[OutputDirectory]);
}

// --- The inserted menu ---

class HandlerMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_ = ::CreatePopupMenu();
        ::AppendMenuW(host_, MF_STRING, 1, L"first");
        ::AppendMenuW(host_, MF_STRING, 2, L"second");
    }
    void TearDown() override { ::DestroyMenu(host_); }

    void Select(const std::vector<std::wstring>& names)
    {
        auto list = DropDataObject::Of(names);
        ASSERT_EQ(handler_->Initialize(nullptr, &list, nullptr), S_OK);
    }
    HMENU Submenu()
    {
        EXPECT_EQ(handler_->QueryContextMenu(host_, 1, kFirst, kFirst + 100, CMF_NORMAL),
                  MAKE_HRESULT(SEVERITY_SUCCESS, 0, 28));
        return ::GetSubMenu(host_, 1);
    }
    // Commands that the submenu shows gray.
    std::vector<int> GrayCommands()
    {
        HMENU submenu = Submenu();
        std::vector<int> gray;
        for (int command = 1; command < kCommandCount; ++command)
            if (::GetMenuState(submenu, kFirst + command, MF_BYCOMMAND) & MF_GRAYED) gray.push_back(command);
        return gray;
    }

    OptionsKeyGuard optionsKey_;
    ScratchFolder scratch_;
    ComPtr<LumbrixMenu> handler_ = NewHandler();
    HMENU host_ = nullptr;
};

std::wstring ItemText(HMENU menu, UINT position)
{
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

TEST_F(HandlerMenu, InsertsTheEntryWithItsSubmenuAndBitmapAtTheGivenPosition)
{
    HMENU submenu = Submenu();
    ASSERT_EQ(::GetMenuItemCount(host_), 3);
    MENUITEMINFOW entry{};
    entry.cbSize = sizeof entry;
    entry.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_CHECKMARKS;
    ASSERT_TRUE(::GetMenuItemInfoW(host_, 1, TRUE, &entry));
    EXPECT_EQ(entry.wID, kFirst);
    EXPECT_EQ(entry.hSubMenu, submenu);
    EXPECT_EQ(ItemText(host_, 1), L"名前をコピー(&N)");
    EXPECT_EQ(entry.hbmpChecked, nullptr);
    BITMAP picture{};
    ASSERT_EQ(::GetObjectW(entry.hbmpUnchecked, sizeof picture, &picture), static_cast<int>(sizeof picture));
    EXPECT_EQ(picture.bmWidth, ::GetSystemMetrics(SM_CXMENUCHECK));
    EXPECT_EQ(picture.bmHeight, ::GetSystemMetrics(SM_CYMENUCHECK));
}

// The command ids of menu and its nested submenus.
void CollectIds(HMENU menu, std::set<UINT>& ids)
{
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
        if (HMENU nested = ::GetSubMenu(menu, position))
            CollectIds(nested, ids);
        else if (const UINT id = ::GetMenuItemID(menu, position); id != 0)
            ids.insert(id);
    }
}

TEST_F(HandlerMenu, InsertsNothingWhenTheIdRangeIsShortOrOnlyTheDefaultVerbIsWanted)
{
    const auto none = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    EXPECT_EQ(handler_->QueryContextMenu(host_, 1, kFirst, kFirst + 26, CMF_NORMAL), none) << "27 ids";
    EXPECT_EQ(handler_->QueryContextMenu(host_, 1, kFirst, kFirst - 1, CMF_NORMAL), none) << "no ids";
    EXPECT_EQ(handler_->QueryContextMenu(host_, 1, kFirst, kFirst + 100, CMF_DEFAULTONLY), none);
    EXPECT_EQ(::GetMenuItemCount(host_), 2);
    EXPECT_EQ(handler_->QueryContextMenu(host_, 1, kFirst, kFirst + 27, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 28)) << "exactly twenty-eight ids";
    HMENU submenu = ::GetSubMenu(host_, 1);
    ASSERT_NE(submenu, nullptr);
    std::set<UINT> ids;
    CollectIds(submenu, ids);
    EXPECT_EQ(ids.size(), 27u);
    EXPECT_EQ(*ids.begin(), kFirst + 1);
    EXPECT_EQ(*ids.rbegin(), kFirst + 27) << "no id past idCmdLast";
}

// What a menu holds, top to bottom: a command number, 0 for a separator, -1
// for a nested submenu; whether each command is a radio item; and the labels.
struct MenuContent {
    std::vector<int> commands;
    std::vector<bool> radio;
    std::vector<std::wstring> labels;
};

MenuContent ContentOf(HMENU menu)
{
    MenuContent content;
    for (int position = 0; position < ::GetMenuItemCount(menu); ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item);
        if (item.fType & MFT_SEPARATOR) {
            content.commands.push_back(0);
            continue;
        }
        content.commands.push_back(item.hSubMenu ? -1 : static_cast<int>(item.wID - kFirst));
        content.radio.push_back((item.fType & MFT_RADIOCHECK) != 0);
        content.labels.push_back(ItemText(menu, static_cast<UINT>(position)));
    }
    return content;
}

TEST_F(HandlerMenu, SubmenuHoldsCopyCommandsChecksumCommandsOptionsAndThePathForms)
{
    HMENU submenu = Submenu();
    const MenuContent top = ContentOf(submenu);
    EXPECT_THAT(top.commands, ElementsAreArray({1, 2, 3, 4, 5, 27, 0, 16, 17, 0, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -1}));
    EXPECT_THAT(top.radio, ::testing::Each(false));
    EXPECT_THAT(top.labels, ElementsAreArray({L"フルパス(&F)", L"フルパス サブフォルダ付(&S)", L"カレント サブフォルダ付(&C)",
                                              L"カレント サブフォルダ 1 段配下(&R)", L"カレント ファイル名(&N)",
                                              L"拡張子なしのファイル名(&E)",
                                              L"チェックサム ファイルを作成(&K)...", L"ハッシュを照合(&V)",
                                              L"フォルダを含める(&I)", L"短いファイル名を取得する(&D)",
                                              L"ジャンクションポイントを含める(&J)", L"パス区切り記号 \\ をエスケープする(&Y)",
                                              L"URL として出力する(&U)", L"ファイルサイズを出力する(&Z)",
                                              L"CRC32 を出力する(&3)", L"MD5 を出力する(&M)", L"SHA-1 を出力する(&1)",
                                              L"SHA-256 を出力する(&2)", L"パスの形式(&P)"}));
    const MenuContent forms = ContentOf(::GetSubMenu(submenu, 20));
    EXPECT_THAT(forms.commands, ElementsAreArray({18, 19, 20, 21, 22, 0, 23, 24, 25, 0, 26}));
    EXPECT_THAT(forms.radio, ElementsAreArray({true, true, true, true, true, true, true, true, false}));
    EXPECT_THAT(forms.labels,
                ElementsAreArray({L"Windows 形式 (C:\\…)", L"ネットワーク パス (\\\\サーバー\\共有\\…)",
                                  L"スラッシュ区切り (C:/…)", L"WSL 形式 (/mnt/c/…)", L"MSYS / Git Bash 形式 (/c/…)",
                                  L"引用符なし", L"空白などを含むときだけ引用符で囲む", L"常に引用符で囲む",
                                  L"1 行にまとめる (スペース区切り)(&L)"}));
}

TEST_F(HandlerMenu, GraysCopyCommandsByTheSelectionsMakeUpButNeverTheChecksumCommands)
{
    const std::wstring folder = scratch_.AddFolder(L"f1");
    const std::wstring other = scratch_.AddFolder(L"f2");
    const std::wstring file = scratch_.AddFile(L"a.txt");
    const std::wstring file2 = scratch_.AddFile(L"b.txt");

    EXPECT_THAT(GrayCommands(), ElementsAre(4)) << "nothing selected yet";
    Select({L"c:\\"});
    EXPECT_THAT(GrayCommands(), ElementsAre(4)) << "a drive root alone";
    Select({folder});
    EXPECT_THAT(GrayCommands(), ElementsAre()) << "one folder";
    Select({folder, file});
    EXPECT_THAT(GrayCommands(), ElementsAre(4)) << "a folder and a file";
    Select({file, file2});
    EXPECT_THAT(GrayCommands(), ElementsAre(2, 3, 4)) << "files only";
    Select({folder, other});
    EXPECT_THAT(GrayCommands(), ElementsAre(4)) << "two folders";
    Select({folder, scratch_ / L"F1"});
    EXPECT_THAT(GrayCommands(), ElementsAre(4)) << "one folder named twice counts twice";
}

TEST_F(HandlerMenu, CheckMarksFollowTheStoredOptions)
{
    auto checked = [this] {
        HMENU submenu = Submenu();
        std::vector<int> commands;
        for (int command = 1; command < kCommandCount; ++command)
            if (::GetMenuState(submenu, kFirst + command, MF_BYCOMMAND) & MF_CHECKED) commands.push_back(command);
        return commands;
    };
    Select({});
    EXPECT_THAT(checked(), ElementsAre(6, 18, 23)) << "defaults: folders included, the Windows style, no quotes";
    StoreOption(OutputDirectory, 0);
    StoreOption(OutputMD5, 1);
    StoreOption(OutputSHA1, 1);
    Select({});
    EXPECT_THAT(checked(), ElementsAre(13, 14, 18, 23));
    StoreOption(OutputSHA256, 1);
    StoreOption(SingleLine, 1);
    const DWORD msys = 4, unknownQuotes = 9;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKeyPath, L"PathStyle", REG_DWORD, &msys, sizeof msys);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKeyPath, L"QuoteStyle", REG_DWORD, &unknownQuotes, sizeof unknownQuotes);
    Select({});
    EXPECT_THAT(checked(), ElementsAre(13, 14, 15, 22, 23, 26));
}

TEST_F(HandlerMenu, BitmapIsLoadedOnceAndSharedByEveryMenu)
{
    auto entryBitmap = [this] {
        Submenu();
        MENUITEMINFOW entry{};
        entry.cbSize = sizeof entry;
        entry.fMask = MIIM_CHECKMARKS;
        ::GetMenuItemInfoW(host_, 1, TRUE, &entry);
        ::DeleteMenu(host_, 1, MF_BYPOSITION); // destroys the submenu, as the shell does
        return entry.hbmpUnchecked;
    };
    const HBITMAP first = entryBitmap();
    ASSERT_NE(first, nullptr);
    const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(entryBitmap(), first) << "call " << i;
    // Wine reports 0 here; Windows counts for real.
    EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore);
    EXPECT_EQ(::GetObjectType(first), static_cast<DWORD>(OBJ_BITMAP)) << "the menus do not own it";
}

TEST_F(HandlerMenu, FailedInsertionIsReportedAndStillUsesTwentyEightOffsets)
{
    DialogWatcher watcher;
    HMENU gone = ::CreatePopupMenu();
    ::DestroyMenu(gone);
    EXPECT_EQ(handler_->QueryContextMenu(gone, 0, kFirst, kFirst + 100, CMF_NORMAL),
              MAKE_HRESULT(SEVERITY_SUCCESS, 0, 28));
    ASSERT_TRUE(watcher.WaitForCount(1));
    const SeenDialog box = watcher.Seen().front();
    EXPECT_EQ(box.caption, L"Lumbrix64");
    // Windows gives ERROR_INVALID_MENU_HANDLE; Wine leaves the last error at 0.
    const std::size_t open = box.text.rfind(L'(');
    ASSERT_NE(open, std::wstring::npos);
    const DWORD code = std::wcstoul(box.text.c_str() + open + 1, nullptr, 10);
    EXPECT_EQ(box.text, SystemErrorBoxText(code));
    ::Sleep(100);
    EXPECT_EQ(watcher.Count(), 1u);
}

// --- The shared error box ---

TEST(SystemErrorBox, ShowsTheSystemsTextThenTheCodeAsSignedNumber)
{
    DialogWatcher watcher;
    ReportSystemError(ERROR_ACCESS_DENIED);
    ReportSystemError(0x80070005);
    ReportSystemError(0x20000001); // no system text for this one
    ASSERT_TRUE(watcher.WaitForCount(3));
    const auto seen = watcher.Seen();
    const std::wstring denied = SystemErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(denied.empty());
    EXPECT_EQ(seen[0].text, denied + L"(5)");
    EXPECT_EQ(seen[1].text.substr(seen[1].text.size() - 13), L"(-2147024891)");
    EXPECT_EQ(seen[2].text, L"(536870913)");
    for (const SeenDialog& box : seen) EXPECT_EQ(box.caption, L"Lumbrix64");
}

} // namespace
} // namespace lumbrix::test
