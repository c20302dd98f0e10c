// The raw registry routines and RegistryKey against the real registry, in a
// scratch key under HKEY_CURRENT_USER.

#include "settings/registry_key.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumbrix::test {
namespace {

constexpr wchar_t kScratch[] = L"Software\\LumbrixTest\\Registry";

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ASSERT_TRUE(scratch_.Create(HKEY_CURRENT_USER, kScratch));
    }
    void TearDown() override
    {
        scratch_.Close();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }
    void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(::RegSetValueExW(scratch_.handle(), name, 0, type, static_cast<const BYTE*>(data), size), 0);
    }
    std::vector<BYTE> RawBytes(const wchar_t* name)
    {
        std::vector<BYTE> bytes(64);
        DWORD size = 64;
        EXPECT_EQ(::RegQueryValueExW(scratch_.handle(), name, nullptr, nullptr, bytes.data(), &size), 0);
        bytes.resize(size);
        return bytes;
    }
    bool Exists(const std::wstring& path)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(scratch_.handle(), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        ::RegCloseKey(key);
        return true;
    }

    RegistryKey scratch_;
};

TEST_F(Registry, OpeningAMissingKeyFailsWithNotFoundAndTheObjectCanBeUsedAgain)
{
    RegistryKey key(scratch_.handle(), L"missing", /*create=*/false);
    EXPECT_EQ(key.handle(), nullptr);
    EXPECT_EQ(key.lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(key.ok());
    EXPECT_TRUE(key.Create(scratch_.handle(), L"missing"));
    EXPECT_TRUE(key.ok());
    EXPECT_TRUE(key.Open(scratch_.handle(), L"missing"));
    EXPECT_TRUE(key.SetDword(L"n", REG_DWORD, 7));
    EXPECT_EQ(key.GetDword(L"n", 0), 7u);
}

TEST_F(Registry, GetDwordFallsBackOnMissingValuesAndOtherTypes)
{
    EXPECT_EQ(scratch_.GetDword(L"none", 42), 42u);
    EXPECT_EQ(scratch_.lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    StoreRaw(L"text", REG_SZ, L"1", 4);
    EXPECT_EQ(scratch_.GetDword(L"text", 42), 42u);
    EXPECT_EQ(scratch_.lastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    StoreRaw(L"short", REG_DWORD, "\x01\x02", 2);
    EXPECT_EQ(scratch_.GetDword(L"short", 42), 42u) << "fewer than four bytes";
    EXPECT_EQ(scratch_.lastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    StoreRaw(L"long", REG_DWORD, "\x04\x03\x02\x01\xFF\xFF", 6);
    EXPECT_EQ(scratch_.GetDword(L"long", 42), 0x01020304u) << "the first four bytes";
    EXPECT_EQ(scratch_.lastError(), 0u);
}

TEST_F(Registry, DwordsAreLittleEndianOrByteSwappedByTheirType)
{
    StoreRaw(L"big", REG_DWORD_BIG_ENDIAN, "\x00\x00\x00\x01", 4);
    EXPECT_EQ(scratch_.GetDword(L"big", 0), 1u);
    ASSERT_TRUE(scratch_.SetDword(L"written", REG_DWORD_BIG_ENDIAN, 1));
    EXPECT_EQ(RawBytes(L"written"), (std::vector<BYTE>{0, 0, 0, 1}));
    EXPECT_EQ(scratch_.GetDword(L"written", 0), 1u);
    ASSERT_TRUE(scratch_.SetDword(L"little", REG_DWORD, 0x01020304));
    EXPECT_EQ(RawBytes(L"little"), (std::vector<BYTE>{4, 3, 2, 1}));
}

TEST_F(Registry, GetStringReturnsTheStoredTextAlwaysTerminated)
{
    ASSERT_TRUE(scratch_.SetString(L"sz", REG_SZ, L"C:\\デスクトップ"));
    EXPECT_EQ(RawBytes(L"sz").size(), 20u) << "the terminator is stored";
    EXPECT_STREQ(scratch_.GetOwnedString(L"sz").get(), L"C:\\デスクトップ");
    StoreRaw(L"expand", REG_EXPAND_SZ, L"%TEMP%", 14);
    EXPECT_STREQ(scratch_.GetOwnedString(L"expand").get(), L"%TEMP%") << "not expanded";

    // Written by another program without a terminator, or with an odd size.
    StoreRaw(L"bare", REG_SZ, L"abc", 6);
    EXPECT_STREQ(scratch_.GetOwnedString(L"bare").get(), L"abc");
    StoreRaw(L"odd", REG_SZ, L"abc", 5);
    EXPECT_STREQ(scratch_.GetOwnedString(L"odd").get(), L"ab");
    StoreRaw(L"empty", REG_SZ, nullptr, 0);
    EXPECT_STREQ(scratch_.GetOwnedString(L"empty").get(), L"");

    StoreRaw(L"number", REG_DWORD, "\x01\x00\x00\x00", 4);
    EXPECT_EQ(scratch_.GetString(L"number"), nullptr);
    EXPECT_EQ(scratch_.lastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(scratch_.GetString(L"none"), nullptr);
    EXPECT_EQ(scratch_.lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Registry, QueryRegValueHandsOutExactlyTheStoredBytes)
{
    StoreRaw(L"long", REG_BINARY, "0123456789", 10);
    StoreRaw(L"short", REG_BINARY, "ab", 2);
    RegValue value;
    ASSERT_TRUE(QueryRegValue(scratch_.handle(), L"short", value));
    UniqueRegBuffer data(value.data);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(value.size, 2u);
    EXPECT_EQ(::HeapSize(::GetProcessHeap(), 0, data.get()), 2u);
    EXPECT_FALSE(QueryRegValue(scratch_.handle(), L"none", value));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Registry, EnumRegSubkeyNamesEverySubkeyThenReportsTheEnd)
{
    const std::wstring longest(255, L'k');
    for (const std::wstring& name : {std::wstring(L"a"), longest}) RegistryKey(scratch_.handle(), name.c_str(), true);
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        UniqueRegString name(EnumRegSubkey(scratch_.handle(), index));
        if (!name) break;
        names.emplace_back(name.get());
    }
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_THAT(names, ::testing::UnorderedElementsAre(L"a", longest));
}

TEST_F(Registry, DeleteRegTreeRemovesNestedKeysAndFailsOnAMissingOne)
{
    for (const wchar_t* path : {L"top\\a\\b\\c", L"top\\a\\d", L"top\\e", L"sibling"}) {
        RegistryKey key(scratch_.handle(), path, /*create=*/true);
        ASSERT_TRUE(key.SetDword(L"v", REG_DWORD, 1));
    }
    EXPECT_FALSE(DeleteRegKey(scratch_.handle(), L"top")) << "one level only";
    EXPECT_TRUE(Exists(L"top\\a\\b\\c"));

    EXPECT_TRUE(DeleteRegTree(scratch_.handle(), L"top"));
    EXPECT_EQ(::GetLastError(), 0u);
    EXPECT_FALSE(Exists(L"top"));
    EXPECT_FALSE(DeleteRegTree(scratch_.handle(), L"top"));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(Exists(L"sibling"));
    EXPECT_TRUE(DeleteRegKey(scratch_.handle(), L"sibling"));
}

TEST_F(Registry, ClosingABorrowedKeyLeavesItOpen)
{
    HKEY own = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kScratch, 0, KEY_ALL_ACCESS, &own), 0);
    {
        RegistryKey borrowed(own, nullptr, /*create=*/false, /*borrow=*/true);
        EXPECT_EQ(borrowed.handle(), own);
        EXPECT_TRUE(borrowed.ok());
        EXPECT_TRUE(borrowed.SetDword(L"through", REG_DWORD, 3));
    }
    EXPECT_EQ(::RegQueryValueExW(own, L"through", nullptr, nullptr, nullptr, nullptr), 0) << "still open";
    RegistryKey adopted;
    EXPECT_TRUE(adopted.Open(own, L"", /*borrow=*/false));
    EXPECT_FALSE(adopted.borrowed()) << "adopted keys are closed by the object";
}

} // namespace
} // namespace lumbrix::test
