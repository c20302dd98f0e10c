// Loading and saving the options under HKCU\Software\Orvane\Lumbrix64,
// including the boxes shown when the key cannot be opened or created.

#include "options_key_guard.h"
#include "common/system_error_text.h"
#include "common/message_box.h"
#include "support/dialog_watcher.h"

#include <gtest/gtest.h>
#include <sddl.h>

namespace lumbrix::test {
namespace {

class OptionsStore : public ::testing::Test {
protected:
    OptionsKeyGuard guard_;
};

OutputOptions AllOn()
{
    OutputOptions options;
    for (bool& flag : options.flags) flag = true;
    return options;
}

TEST_F(OptionsStore, UserWithoutKeyGetsDefaultsAndNoMessage)
{
    DialogWatcher watcher;
    OutputOptions options = AllOn();
    LoadOutputOptions(options);
    EXPECT_TRUE(options[OutputDirectory]);
    for (int i = 1; i < OptionFlagCount; ++i) EXPECT_FALSE(options.flags[i]) << i;
    EXPECT_EQ(options.pathStyle, PathStyle::Windows);
    EXPECT_EQ(options.quoteStyle, QuoteStyle::None);
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(OptionsStore, StylesOutOfRangeOrOfAnotherTypeReadAsTheDefault)
{
    const auto store = [](const wchar_t* name, DWORD number) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKeyPath, name, REG_DWORD, &number, sizeof number);
    };
    const auto load = [] {
        OutputOptions options;
        options.pathStyle = PathStyle::Slashes;
        options.quoteStyle = QuoteStyle::Always;
        LoadOutputOptions(options);
        return options;
    };
    store(L"PathStyle", 4);
    store(L"QuoteStyle", 1);
    EXPECT_EQ(load().pathStyle, PathStyle::Msys);
    EXPECT_EQ(load().quoteStyle, QuoteStyle::WhereNeeded);
    store(L"PathStyle", 5);
    store(L"QuoteStyle", 0xFFFFFFFF);
    EXPECT_EQ(load().pathStyle, PathStyle::Windows);
    EXPECT_EQ(load().quoteStyle, QuoteStyle::None);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKeyPath, L"PathStyle", REG_SZ, L"3", 4);
    EXPECT_EQ(load().pathStyle, PathStyle::Windows) << "a string is not a number";
}

TEST_F(OptionsStore, ChoosingAStyleStoresItsNumberAndKeepsEverythingElse)
{
    StoreOption(OutputSize, 1);
    OutputOptions options;
    LoadOutputOptions(options);
    ToggleOutputOption(options, PathStyle::Wsl);
    ToggleOutputOption(options, QuoteStyle::Always);
    ToggleOutputOption(options, PathStyle::Wsl); // a radio item: chosen again, it stays
    EXPECT_EQ(options.pathStyle, PathStyle::Wsl);
    EXPECT_TRUE(IsChosen(options, PathStyle::Wsl));
    EXPECT_FALSE(IsChosen(options, PathStyle::Windows));
    EXPECT_TRUE(IsChosen(options, QuoteStyle::Always));
    ToggleOutputOption(options, SingleLine);
    EXPECT_TRUE(IsChosen(options, SingleLine));
    OutputOptions loaded;
    LoadOutputOptions(loaded);
    EXPECT_EQ(loaded.pathStyle, PathStyle::Wsl);
    EXPECT_EQ(loaded.quoteStyle, QuoteStyle::Always);
    EXPECT_TRUE(loaded[SingleLine]);
    EXPECT_TRUE(loaded[OutputSize]);
    EXPECT_TRUE(loaded[OutputDirectory]);
}

TEST_F(OptionsStore, AnyNonZeroNumberIsTrueAndOtherTypesKeepTheDefault)
{
    StoreOption(OutputMD5, 7);
    StoreOption(OutputDirectory, 0);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKeyPath, L"OutputSize", REG_SZ, L"1", 4);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKeyPath, L"OutputSHA1", REG_DWORD_BIG_ENDIAN, "\0\0\0\1", 4);
    OutputOptions options;
    LoadOutputOptions(options);
    EXPECT_TRUE(options[OutputMD5]);
    EXPECT_FALSE(options[OutputDirectory]);
    EXPECT_FALSE(options[OutputSize]) << "a string is not a number";
    EXPECT_TRUE(options[OutputSHA1]);

    SaveOutputOptions(options);
    EXPECT_EQ(StoredOption(OutputMD5), 1u) << "written back as 1";
    EXPECT_EQ(StoredOption(OutputSize), 0u) << "rewritten as a number";
}

TEST_F(OptionsStore, SaveWritesEveryValueAndLoadReadsThemBack)
{
    OutputOptions options;
    options[OutputURL] = true;
    SaveOutputOptions(options);
    for (int i = 0; i < OptionFlagCount; ++i)
        EXPECT_EQ(StoredOption(static_cast<OptionFlag>(i)), (i == OutputDirectory || i == OutputURL) ? 1u : 0u) << i;
    DWORD style = 1, size = sizeof style;
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kOptionsKeyPath, L"PathStyle", RRF_RT_REG_DWORD, nullptr, &style, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(style, 0u);
    OutputOptions loaded = AllOn();
    LoadOutputOptions(loaded);
    for (int i = 0; i < OptionFlagCount; ++i) EXPECT_EQ(loaded.flags[i], options.flags[i]) << i;
}

TEST_F(OptionsStore, AToggleKeepsWhatAnotherWindowStoredMeanwhile)
{
    OutputOptions shown; // as a menu loaded them: the defaults
    LoadOutputOptions(shown);
    StoreOption(OutputMD5, 1); // another window, meanwhile
    StoreOption(OutputSize, 1);
    ToggleOutputOption(shown, OutputSize); // the menu showed it off: on it goes, whatever is stored
    ToggleOutputOption(shown, OutputDirectory);
    EXPECT_EQ(StoredOption(OutputMD5), 1u);
    EXPECT_EQ(StoredOption(OutputSize), 1u);
    EXPECT_EQ(StoredOption(OutputDirectory), 0u);
    EXPECT_TRUE(shown[OutputMD5]) << "the caller's copy is what was stored";
}

TEST_F(OptionsStore, AKeyWrittenBeforeSha256ExistedLoadsItAsOff)
{
    for (int i = 0; i < OutputSHA256; ++i) StoreOption(static_cast<OptionFlag>(i), 1);
    OutputOptions options;
    LoadOutputOptions(options);
    for (int i = 0; i < OutputSHA256; ++i) EXPECT_TRUE(options.flags[i]) << i;
    EXPECT_FALSE(options[OutputSHA256]);
    SaveOutputOptions(options);
    EXPECT_EQ(StoredOption(OutputSHA256), 0u);
    EXPECT_EQ(StoredOption(OutputSHA1), 1u);
}

// HKEY_CURRENT_USER redirected, for this process only, to a key that refuses.
class RedirectedUserKey : public ::testing::Test {
protected:
    void TearDown() override
    {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (key_) ::RegCloseKey(key_);
        if (parent_) ::RegCloseKey(parent_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
    }
    // deleted: the target is removed while this process still holds it open.
    void Redirect(DWORD options, bool deleted = false)
    {
        // The parent made here would otherwise be volatile as well.
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\LumbrixTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &parent_, nullptr),
                  0);
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key_,
                                    nullptr),
                  0);
        if (deleted) {
            ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, kPath), 0);
        }
        ASSERT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, key_), 0);
    }
    // The single box that the call showed.
    static std::wstring OnlyBoxText(const DialogWatcher& watcher)
    {
        EXPECT_TRUE(watcher.WaitForCount(1));
        ::Sleep(100);
        const auto seen = watcher.Seen();
        EXPECT_EQ(seen.size(), 1u);
        if (seen.empty()) return {};
        EXPECT_EQ(seen[0].caption, L"Lumbrix64");
        return seen[0].text;
    }

    static constexpr wchar_t kPath[] = L"Software\\LumbrixTest\\User";
    HKEY parent_ = nullptr;
    HKEY key_ = nullptr;
};

TEST_F(RedirectedUserKey, SaveReportsAKeyThatCannotBeCreated)
{
    // A non-volatile key cannot be created below a volatile one.
    Redirect(REG_OPTION_VOLATILE);
    DialogWatcher watcher;
    SaveOutputOptions(AllOn());
    EXPECT_EQ(OnlyBoxText(watcher), SystemErrorBoxText(ERROR_CHILD_MUST_BE_VOLATILE));
}

TEST_F(RedirectedUserKey, LoadReportsAKeyThatCannotBeOpenedAndKeepsTheDefaults)
{
    Redirect(REG_OPTION_NON_VOLATILE, /*deleted=*/true);
    DialogWatcher watcher;
    OutputOptions options = AllOn();
    LoadOutputOptions(options);
    EXPECT_EQ(OnlyBoxText(watcher), SystemErrorBoxText(ERROR_KEY_DELETED));
    EXPECT_TRUE(options[OutputDirectory]);
    EXPECT_FALSE(options[OutputSHA1]);
}

TEST_F(RedirectedUserKey, LoadReadsAKeyThatMayBeReadButNotWrittenWithoutABox)
{
    Redirect(REG_OPTION_NON_VOLATILE);
    HKEY options = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(key_, kOptionsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &options, nullptr), 0);
    const DWORD on = 1;
    ASSERT_EQ(::RegSetValueExW(options, L"OutputSHA1", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on), 0);
    // Everyone may read, nobody may write: as an administrator may lock the key down.
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                        nullptr));
    ASSERT_EQ(::RegSetKeySecurity(options, DACL_SECURITY_INFORMATION, readOnly), 0);
    ::LocalFree(readOnly);
    ::RegCloseKey(options);
    HKEY writable = nullptr;
    if (::RegOpenKeyExW(key_, kOptionsKeyPath, 0, KEY_ALL_ACCESS, &writable) == 0) {
        ::RegCloseKey(writable);
        GTEST_SKIP() << "this system does not enforce the key's access list";
    }
    DialogWatcher watcher;
    OutputOptions loaded;
    LoadOutputOptions(loaded);
    EXPECT_TRUE(loaded[OutputSHA1]) << "the stored value was read";
    ::Sleep(200); // a box would have been seen by now
    EXPECT_EQ(watcher.Count(), 0u);
    // The owner may always change the list: open it again for the clean-up.
    HKEY relaxed = nullptr;
    PSECURITY_DESCRIPTOR all = nullptr;
    if (::RegOpenKeyExW(key_, kOptionsKeyPath, 0, WRITE_DAC, &relaxed) == 0 &&
        ::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KA;;;WD)", SDDL_REVISION_1, &all, nullptr)) {
        ::RegSetKeySecurity(relaxed, DACL_SECURITY_INFORMATION, all);
        ::LocalFree(all);
    }
    if (relaxed) ::RegCloseKey(relaxed);
}

} // namespace
} // namespace lumbrix::test
