// Self-registration: end to end through regsvr32 and COM activation, and
// every message of the failing steps with HKEY_CLASSES_ROOT redirected, for
// this process only, to a scratch key.

#include "settings/server_registration.h"
#include "common/system_error_text.h"
#include "common/module_identity.h"
#include "support/dialog_watcher.h"
#include "support/test_paths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <olectl.h>
#include <shobjidl.h>

#include <map>
#include <string>

namespace lumbrix::test {
namespace {

using Values = std::map<std::wstring, std::wstring>; // "key path|value name" -> data

std::wstring ClassId()
{
    wchar_t text[40] = {};
    ::StringFromGUID2(CLSID_LumbrixMenu, text, 40);
    return text;
}

const std::wstring kClassKey = L"CLSID\\" + ClassId();
// Registry data: the same name whatever the display language.
const std::wstring kHandlerName = L"クリップボードにファイル名をコピーx64";
const std::wstring kFileHandler = std::wstring(L"*\\shellex\\ContextMenuHandlers\\") + kHandlerName;
const std::wstring kFolderHandler = std::wstring(L"Folder\\shellex\\ContextMenuHandlers\\") + kHandlerName;

// Every value below root\path, recursively.
void CollectValues(HKEY root, const std::wstring& path, Values& values)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        wchar_t data[1024] = {};
        DWORD nameLength = 256;
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                            &dataSize) != ERROR_SUCCESS)
            break;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << path << L"|" << name;
        EXPECT_EQ(dataSize, (::lstrlenW(data) + 1) * sizeof(wchar_t)) << "stored with its terminator";
        values[path + L"|" + name] = data;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        CollectValues(root, path.empty() ? name : path + L"\\" + name, values);
    }
    ::RegCloseKey(key);
}

Values ExpectedValues(const std::wstring& modulePath)
{
    return {{kClassKey + L"|", kHandlerName},
            {kClassKey + L"\\InProcServer32|", modulePath},
            {kClassKey + L"\\InProcServer32|ThreadingModel", L"Apartment"},
            {kFileHandler + L"|", ClassId()},
            {kFolderHandler + L"|", ClassId()}};
}

bool KeyExists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// --- The real HKEY_CLASSES_ROOT, through regsvr32 ---

DWORD RunRegsvr32(const std::wstring& arguments)
{
    std::wstring command = L"regsvr32.exe " + arguments + L" \"" + DllPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return ~0u;
    DWORD exitCode = ~0u;
    // A box of a failing registration would wait for a user that is not there.
    if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(process.hProcess, &exitCode);
    else
        ::TerminateProcess(process.hProcess, 99);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return exitCode;
}

Values RegisteredValues()
{
    Values values;
    for (const std::wstring& path : {kClassKey, kFileHandler, kFolderHandler})
        CollectValues(HKEY_CLASSES_ROOT, path, values);
    return values;
}

TEST(Regsvr32, RegistersFiveValuesIdempotentlyActivatesAndUnregisters)
{
    ASSERT_EQ(RunRegsvr32(L"/s"), 0u);
    ASSERT_EQ(RunRegsvr32(L"/s"), 0u) << "registering again";
    Values values = RegisteredValues();
    const std::wstring server = values[kClassKey + L"\\InProcServer32|"];
    EXPECT_EQ(::lstrcmpiW(server.c_str(), DllPath().c_str()), 0) << server;
    EXPECT_EQ(values, ExpectedValues(server));

    // Another program than regsvr32 finds the handler through the registry.
    IContextMenu* menu = nullptr;
    ASSERT_EQ(::CoCreateInstance(CLSID_LumbrixMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                 reinterpret_cast<void**>(&menu)),
              S_OK);
    wchar_t help[64] = {};
    EXPECT_EQ(menu->GetCommandString(1, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(help), 64), S_OK);
    EXPECT_STREQ(help, L"絶対パスをコピーします。");
    menu->Release();

    ASSERT_EQ(RunRegsvr32(L"/u /s"), 0u);
    EXPECT_EQ(RunRegsvr32(L"/u /s"), 0u) << "again, with nothing registered: no box for a script to hang on";
    EXPECT_TRUE(RegisteredValues().empty());
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_TRUE(KeyExists(L"*\\shellex\\ContextMenuHandlers")) << "the shell's own keys stay";
    EXPECT_TRUE(KeyExists(L"Folder\\shellex\\ContextMenuHandlers"));
    IUnknown* none = nullptr;
    EXPECT_EQ(::CoCreateInstance(CLSID_LumbrixMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                 reinterpret_cast<void**>(&none)),
              REGDB_E_CLASSNOTREG);
}

// --- A redirected HKEY_CLASSES_ROOT, calling the functions directly ---

class RedirectedClasses : public ::testing::Test {
protected:
    static constexpr wchar_t kPath[] = L"Software\\LumbrixTest\\Classes";

    void SetUp() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                                    nullptr),
                  0);
        ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, root_), 0);
    }
    void TearDown() override
    {
        ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        ::RegCloseKey(root_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
    }
    // A volatile key at path (parents as usual): no lasting key can go below it.
    void MakeVolatile(const std::wstring& path) { MakeKey(path, REG_OPTION_VOLATILE); }
    void MakeKey(const std::wstring& path, DWORD options = REG_OPTION_NON_VOLATILE)
    {
        const std::size_t cut = path.rfind(L'\\');
        HKEY key = nullptr;
        if (cut != std::wstring::npos) {
            ASSERT_EQ(::RegCreateKeyExW(root_, path.substr(0, cut).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                        &key, nullptr),
                      0);
            ::RegCloseKey(key);
        }
        ASSERT_EQ(::RegCreateKeyExW(root_, path.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key,
                                    nullptr),
                  0);
        ::RegCloseKey(key);
    }
    Values All()
    {
        Values values;
        CollectValues(root_, L"", values);
        return values;
    }
    std::vector<std::wstring> Texts() const
    {
        ::Sleep(100); // a further box would have been seen by now
        std::vector<std::wstring> texts;
        for (const SeenDialog& box : watcher_.Seen()) {
            EXPECT_EQ(box.caption, L"Lumbrix64");
            texts.push_back(box.text);
        }
        return texts;
    }

    HKEY root_ = nullptr;
    DialogWatcher watcher_;
};

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST_F(RedirectedClasses, RegistrationWritesExactlyTheFiveValues)
{
    EXPECT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(All(), ExpectedValues(ModulePath()));
    EXPECT_TRUE(Texts().empty());
}

TEST_F(RedirectedClasses, UnregistrationRemovesTheClassTreeAndBothHandlers)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_TRUE(All().empty());
    EXPECT_TRUE(KeyExists(L"CLSID"));
    EXPECT_TRUE(KeyExists(L"Folder\\shellex\\ContextMenuHandlers"));
    EXPECT_TRUE(Texts().empty());
}

struct FailingStep {
    const wchar_t* volatileKey; // where the step's key would have to go
    std::wstring message;       // after the system's text for ERROR_CHILD_MUST_BE_VOLATILE
    std::size_t valuesBefore;   // written by the steps that succeeded
};

TEST_F(RedirectedClasses, EachFailingCreateShowsOneMessageAndKeepsEarlierSteps)
{
    const std::wstring prefix = L"レジストリ HKEY_CLASSES_ROOT\\";
    const FailingStep steps[] = {
        {L"CLSID", prefix + kClassKey + L" のオープンが失敗しました。", 0},
        {nullptr, prefix + kClassKey + L"\\InProcServer32 のオープンが失敗しました。", 1},
        {L"*\\shellex\\ContextMenuHandlers", prefix + kFileHandler + L" のオープンが失敗しました。", 3},
        {L"Folder\\shellex\\ContextMenuHandlers", prefix + kFolderHandler + L" のオープンが失敗しました。", 4},
    };
    const std::wstring reason = SystemErrorText(ERROR_CHILD_MUST_BE_VOLATILE);
    ASSERT_FALSE(reason.empty());
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        TearDown();
        SetUp();
        const std::size_t boxesBefore = watcher_.Count();
        MakeVolatile(steps[i].volatileKey ? steps[i].volatileKey : kClassKey.c_str());
        EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS) << i;
        const std::vector<std::wstring> texts = Texts();
        ASSERT_EQ(texts.size(), boxesBefore + 1) << i;
        EXPECT_EQ(texts.back(), reason + steps[i].message);
        EXPECT_EQ(All().size(), steps[i].valuesBefore) << i;
    }
}

TEST_F(RedirectedClasses, UnregisteringWhatIsNotThereSucceedsWithoutABox)
{
    // Nothing at all, not even the parent keys; then only the folder handler missing.
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    ASSERT_EQ(DllRegisterServer(), S_OK);
    ASSERT_EQ(::RegDeleteKeyW(root_, kFolderHandler.c_str()), 0);
    EXPECT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_TRUE(All().empty()) << "the other removals ran";
    EXPECT_EQ(DllUnregisterServer(), S_OK) << "and again";
    EXPECT_TRUE(Texts().empty());
}

TEST_F(RedirectedClasses, AHandlerKeyThatCannotBeRemovedIsReportedAndTheRestRemoved)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    // A key of someone else's below the handler's: one level of removal cannot take it.
    MakeKey(kFolderHandler + L"\\Other");
    EXPECT_EQ(DllUnregisterServer(), S_FALSE);
    const std::vector<std::wstring> texts = Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_THAT(texts[0], ::testing::EndsWith(L"レジストリ HKEY_CLASSES_ROOT\\Folder\\shellex\\ContextMenuHandlers のサブキー " +
                                              kHandlerName + L" の削除が失敗しました。"));
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(KeyExists(kFileHandler));
}

} // namespace
} // namespace lumbrix::test
