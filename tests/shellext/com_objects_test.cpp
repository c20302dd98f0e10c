// The module's COM objects, through the real DLL's exports: the factory, the
// handlers' interfaces and the count that DllCanUnloadNow reports; and how the
// Windows 11 menu reads an item array.

#include "common/module_identity.h"
#include "shellext/shell_item_selection.h"
#include "support/dialog_watcher.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

class ComObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = ::LoadLibraryW(lumbrix::test::DllPath().c_str());
        ASSERT_NE(module_, nullptr) << "cannot load the DLL";
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(::GetProcAddress(module_, "DllGetClassObject"));
        canUnload_ = reinterpret_cast<CanUnloadFn>(::GetProcAddress(module_, "DllCanUnloadNow"));
        ASSERT_NE(getClassObject_, nullptr);
        ASSERT_NE(canUnload_, nullptr);
        ASSERT_EQ(canUnload_(), S_OK) << "a test left a reference behind";
    }
    void TearDown() override
    {
        if (canUnload_) EXPECT_EQ(canUnload_(), S_OK) << "references leaked";
        if (module_) ::FreeLibrary(module_);
    }

    IClassFactory* Factory(REFCLSID clsid = lumbrix::CLSID_LumbrixMenu)
    {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject_(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }

    HMODULE module_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadFn canUnload_ = nullptr;
};

TEST_F(ComObjects, FactoryReferenceKeepsModuleLoadedUntilReleased)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(factory->AddRef(), 1u);
    EXPECT_EQ(factory->AddRef(), 1u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(ComObjects, GetClassObjectRejectsBadArguments)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(lumbrix::CLSID_LumbrixMenu, IID_IClassFactory, nullptr), E_INVALIDARG);
    EXPECT_EQ(getClassObject_(IID_IUnknown, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(lumbrix::CLSID_LumbrixMenu, IID_IContextMenu, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(canUnload_(), S_OK);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(getClassObject_(lumbrix::CLSID_LumbrixMenu, IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_NE(unknown, nullptr);
    unknown->Release();
}

TEST_F(ComObjects, LockServerCountsLikeReferences)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    factory->Release();
    ASSERT_EQ(canUnload_(), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(ComObjects, CreateInstanceFailuresLeaveNothingBehind)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, nullptr), E_POINTER);
    object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, reinterpret_cast<void*>(1)) << "ppv must not be touched on aggregation";
    factory->Release();
}

TEST_F(ComObjects, HandlerIdentityIsTheSameThroughEveryInterface)
{
    IClassFactory* factory = Factory();
    ASSERT_NE(factory, nullptr);
    IContextMenu* menu = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
    factory->Release();
    EXPECT_EQ(canUnload_(), S_FALSE) << "the handler's reference counts";

    IShellExtInit* init = nullptr;
    ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    IUnknown* fromMenu = nullptr;
    IUnknown* fromInit = nullptr;
    ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromMenu)), S_OK);
    ASSERT_EQ(init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromInit)), S_OK);
    EXPECT_EQ(fromMenu, fromInit);
    EXPECT_EQ(fromMenu, static_cast<IUnknown*>(init)) << "identity is the IShellExtInit pointer";
    IContextMenu* menuAgain = nullptr;
    ASSERT_EQ(fromInit->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menuAgain)), S_OK);
    EXPECT_EQ(menuAgain, menu);
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(menu->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(menu->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    for (IUnknown* reference : {static_cast<IUnknown*>(init), fromMenu, fromInit,
                                static_cast<IUnknown*>(menuAgain)})
        reference->Release();
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(menu->Release(), 0u);
    EXPECT_EQ(canUnload_(), S_OK);
}

std::wstring Title(IExplorerCommand* command)
{
    wchar_t* title = nullptr;
    EXPECT_EQ(command->GetTitle(nullptr, &title), S_OK);
    const std::wstring text = title ? title : L"";
    ::CoTaskMemFree(title);
    return text;
}

// Windows 11 keeps sub-commands after it has let go of the root and the list.
TEST_F(ComObjects, ExplorerCommandsCountUntilTheLastSubCommandIsReleased)
{
    IClassFactory* factory = Factory(lumbrix::CLSID_LumbrixExplorerCommand);
    ASSERT_NE(factory, nullptr);
    IExplorerCommand* root = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(&root)), S_OK);
    factory->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(root->QueryInterface(IID_IContextMenu, &none), E_NOINTERFACE);
    IEnumExplorerCommand* list = nullptr;
    ASSERT_EQ(root->EnumSubCommands(&list), S_OK);
    EXPECT_EQ(root->Release(), 0u);

    // Six copy commands, a separator, the two checksum commands, a separator
    // and the entry that holds the options.
    IExplorerCommand* commands[12] = {};
    ULONG fetched = 0;
    EXPECT_EQ(list->Next(12, commands, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 11u);
    EXPECT_EQ(list->Next(1, commands + 11, nullptr), S_FALSE);
    EXPECT_EQ(commands[11], nullptr);
    EXPECT_EQ(Title(commands[5]), L"拡張子なしのファイル名");
    EXPECT_EQ(Title(commands[7]), L"チェックサム ファイルを作成");
    EXPECT_EQ(Title(commands[8]), L"ハッシュを照合");
    EXPECT_EQ(list->Reset(), S_OK);
    EXPECT_EQ(list->Skip(10), S_OK);
    IEnumExplorerCommand* clone = nullptr;
    ASSERT_EQ(list->Clone(&clone), S_OK);
    list->Release();
    IExplorerCommand* entry = nullptr;
    EXPECT_EQ(clone->Next(1, &entry, nullptr), S_OK) << "the clone starts where the list stood";
    EXPECT_EQ(clone->Skip(1), S_FALSE);
    clone->Release();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(Title(entry), L"オプション");
    EXPCMDFLAGS flags = 0;
    EXPECT_EQ(entry->GetFlags(&flags), S_OK);
    EXPECT_EQ(flags, static_cast<EXPCMDFLAGS>(ECF_HASSUBCOMMANDS));

    // The ten options and the entry of the path forms, which holds eleven more.
    IEnumExplorerCommand* options = nullptr;
    ASSERT_EQ(entry->EnumSubCommands(&options), S_OK);
    EXPECT_EQ(entry->Release(), 0u);
    IExplorerCommand* option[12] = {};
    EXPECT_EQ(options->Next(12, option, &fetched), S_FALSE);
    options->Release();
    ASSERT_EQ(fetched, 11u);
    EXPECT_EQ(Title(option[0]), L"フォルダを含める");
    EXPECT_EQ(Title(option[9]), L"SHA-256 を出力する");
    IExplorerCommand* forms = option[10];
    EXPECT_EQ(Title(forms), L"パスの形式");
    IEnumExplorerCommand* formList = nullptr;
    ASSERT_EQ(forms->EnumSubCommands(&formList), S_OK);
    EXPECT_EQ(forms->Release(), 0u);
    IExplorerCommand* form[12] = {};
    EXPECT_EQ(formList->Next(12, form, &fetched), S_FALSE);
    formList->Release();
    ASSERT_EQ(fetched, 11u);
    EXPECT_EQ(Title(form[3]), L"WSL 形式 (/mnt/c/…)");
    IExplorerCommand* last = form[10];
    EXPECT_EQ(Title(last), L"1 行にまとめる (スペース区切り)");
    for (int i = 0; i < 10; ++i) option[i]->Release();
    for (int i = 0; i < 10; ++i) form[i]->Release();

    EXPECT_EQ(canUnload_(), S_FALSE);
    for (IExplorerCommand* command : commands)
        if (command) command->Release();
    EXPECT_EQ(canUnload_(), S_FALSE);
    EXPECT_EQ(last->Release(), 0u);
    EXPECT_EQ(canUnload_(), S_OK);
}

// The Windows 11 menu asks each option's state as it opens: with an options
// key that cannot be read (deleted while open, HKEY_CURRENT_USER redirected to
// it) nothing of the menu's building shows a box; the options show their defaults.
TEST_F(ComObjects, TheWindows11MenuShowsNoBoxWhenTheOptionsCannotBeRead)
{
    constexpr wchar_t kPath[] = L"Software\\LumbrixTest\\Gone";
    HKEY gone = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &gone, nullptr), 0);
    ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, kPath), 0);
    ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, gone), 0);
    lumbrix::test::DialogWatcher watcher;
    IClassFactory* factory = Factory(lumbrix::CLSID_LumbrixExplorerCommand);
    ASSERT_NE(factory, nullptr);
    IExplorerCommand* root = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(&root)), S_OK);
    factory->Release();
    EXPECT_EQ(Title(root), L"名前をコピー");
    IEnumExplorerCommand* list = nullptr;
    ASSERT_EQ(root->EnumSubCommands(&list), S_OK);
    root->Release();
    std::vector<EXPCMDSTATE> optionStates;
    // Every level as the shell builds it: the options sit one level down.
    std::vector<IEnumExplorerCommand*> levels{list};
    while (!levels.empty()) {
        IEnumExplorerCommand* level = levels.back();
        levels.pop_back();
        IExplorerCommand* command = nullptr;
        while (level->Next(1, &command, nullptr) == S_OK) {
            EXPCMDFLAGS flags = 0;
            EXPECT_EQ(command->GetFlags(&flags), S_OK);
            wchar_t* text = nullptr;
            if (command->GetTitle(nullptr, &text) == S_OK) ::CoTaskMemFree(text);
            EXPCMDSTATE state = 0;
            if (command->GetState(nullptr, FALSE, &state) == S_OK && (state & ECS_CHECKBOX)) optionStates.push_back(state);
            IEnumExplorerCommand* inner = nullptr;
            if ((flags & ECF_HASSUBCOMMANDS) && command->EnumSubCommands(&inner) == S_OK) levels.push_back(inner);
            command->Release();
        }
        level->Release();
    }
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(gone);
    // The ten flags, then the path forms: five styles, three quotes, one line.
    ASSERT_EQ(optionStates.size(), 19u);
    EXPECT_EQ(optionStates[0], ECS_CHECKBOX | ECS_CHECKED) << "folders included, as by default";
    EXPECT_EQ(optionStates[9], ECS_CHECKBOX);
    EXPECT_EQ(optionStates[10], ECS_CHECKBOX | ECS_CHECKED) << "Windows paths, as by default";
    EXPECT_EQ(optionStates[18], ECS_CHECKBOX) << "one line off, as by default";
    EXPECT_EQ(watcher.Count(), 0u);
}

// A search result's items sit in different folders, and IDs parsed one by one
// need not share their parent's bytes: each item's folder is bound anew.
TEST(ShellItemSelection, ItemsOfDifferentFoldersKeepTheirOwnPathsAndKinds)
{
    lumbrix::test::ScratchFolder scratch;
    const std::vector<std::wstring> paths = {scratch.AddFile(L"a\\one.txt"), scratch.AddFolder(L"b\\sub"),
                                             scratch.AddFile(L"b\\two.txt"), scratch.AddFile(L"a\\three.txt")};
    std::vector<PCIDLIST_ABSOLUTE> ids;
    for (const std::wstring& path : paths) ids.push_back(::ILCreateFromPathW(path.c_str()));
    IShellItemArray* items = nullptr;
    ASSERT_EQ(::SHCreateShellItemArrayFromIDLists(static_cast<UINT>(ids.size()), ids.data(), &items), S_OK);
    lumbrix::CopyRequest request;
    EXPECT_EQ(lumbrix::ReadSelection(items, request), S_OK);
    items->Release();
    for (PCIDLIST_ABSOLUTE id : ids) ::ILFree(const_cast<PIDLIST_ABSOLUTE>(id));
    EXPECT_EQ(std::vector<std::wstring>(request.selection.begin(), request.selection.end()),
              (std::vector<std::wstring>{paths[0], paths[3], paths[1], paths[2]}));
    EXPECT_EQ(request.fileCount, 3u);
    EXPECT_EQ(request.folderCount, 1u);
}

} // namespace
