#pragma once
// The texts that the checksum commands show, each in Japanese and English, in
// one place until they move into the string tables. The product shows the
// Japanese ones. "%s" stands for a path or a digest, "%u" for a count: each
// is filled in by FillText, in order, with text of any length.

#include <initializer_list>
#include <string>
#include <string_view>

namespace lumbrix {

struct TwoLanguageText {
    const wchar_t* japanese;
    const wchar_t* english;
};

// The Windows 11 menu's nested entry that holds the options.
inline constexpr TwoLanguageText kOptionsEntryTitle{L"オプション", L"Options"};

// The steps of a checksum job, as the progress window shows them.
inline constexpr TwoLanguageText kStepReadingChecksumFile{L"チェックサム ファイルを読んでいます",
                                                          L"Reading the checksum file"};
inline constexpr TwoLanguageText kStepReadingClipboard{L"クリップボードを読んでいます", L"Reading the clipboard"};
inline constexpr TwoLanguageText kStepLocatingFiles{L"ファイルを確認しています", L"Looking for the files"};
inline constexpr TwoLanguageText kStepVerifying{L"ハッシュを照合しています", L"Verifying the digests"};
inline constexpr TwoLanguageText kStepWritingChecksumFile{L"チェックサム ファイルを書き出しています",
                                                          L"Writing the checksum file"};

// The Save dialog of a checksum file: its title, and its four file types as
// the dialog's filter wants them (name, pattern, each ended by NUL).
inline constexpr TwoLanguageText kChecksumSaveTitle{L"チェックサム ファイルの保存", L"Save Checksum File"};
inline constexpr wchar_t kChecksumSaveFilter[] = L"SHA-256 (*.sha256)\0*.sha256\0SHA-1 (*.sha1)\0*.sha1\0"
                                                 L"MD5 (*.md5)\0*.md5\0CRC32 (*.sfv)\0*.sfv\0";
// Asked when the name typed gets its extension from the file type shown.
inline constexpr TwoLanguageText kReplaceQuestion{L"%s は既に存在します。\r\n上書きしますか?",
                                                  L"%s already exists.\r\nDo you want to replace it?"};

// Creating a checksum file: what could not be listed, and failures.
inline constexpr TwoLanguageText kUnreadFile{
    L"読み取れなかったファイルがあります。チェックサム ファイルには含まれていません。\r\n%s",
    L"A file could not be read. The checksum file does not list it.\r\n%s"};
inline constexpr TwoLanguageText kUnreadFiles{
    L"読み取れなかったファイルが %u 個あります。チェックサム ファイルには含まれていません。\r\n最初のファイル: %s",
    L"%u files could not be read. The checksum file does not list them.\r\nThe first: %s"};
inline constexpr TwoLanguageText kUnlistedFolderInList{
    L"読み取れなかったフォルダがあります。その中身はチェックサム ファイルに含まれていません。\r\n%s",
    L"A folder could not be read. The checksum file does not list its contents.\r\n%s"};
inline constexpr TwoLanguageText kUnlistedFoldersInList{
    L"読み取れなかったフォルダが %u 個あります。その中身はチェックサム ファイルに含まれていません。\r\n最初のフォルダ: %s",
    L"%u folders could not be read. The checksum file does not list their contents.\r\nThe first: %s"};
inline constexpr TwoLanguageText kChecksumFileNotSaved{L"チェックサム ファイルを保存できませんでした。\r\n%s\r\n",
                                                       L"The checksum file could not be saved.\r\n%s\r\n"};

// Verifying: where the expected digests come from.
inline constexpr TwoLanguageText kNoDigestOnClipboard{L"クリップボードに照合できるハッシュがありません。",
                                                      L"The clipboard holds no digest to verify against."};
inline constexpr TwoLanguageText kNoDigestInChecksumFile{L"チェックサム ファイルに照合できるハッシュがありません。",
                                                         L"The checksum file holds no digest to verify against."};
inline constexpr TwoLanguageText kChecksumFileNotRead{L"チェックサム ファイルを読めませんでした。\r\n%s\r\n",
                                                      L"The checksum file could not be read.\r\n%s\r\n"};
inline constexpr TwoLanguageText kNothingToVerify{L"照合するファイルがありません。", L"There is no file to verify."};

// The statuses of a verified entry, in VerifyStatus order from Match on; the
// report on the clipboard uses them too.
inline constexpr TwoLanguageText kStatusMatch{L"一致", L"Match"};
inline constexpr TwoLanguageText kStatusMismatch{L"不一致", L"Mismatch"};
inline constexpr TwoLanguageText kStatusNotFound{L"見つかりません", L"Not found"};
inline constexpr TwoLanguageText kStatusUnreadable{L"読めません", L"Unreadable"};
inline constexpr TwoLanguageText kStatusNotListed{L"リストにありません", L"Not listed"};

// The result box.
inline constexpr TwoLanguageText kAllMatched{L"すべて一致しました (%u 個)。", L"All files match (%u)."};
inline constexpr TwoLanguageText kSomeDiffer{L"一致しないファイルがあります。", L"Some files do not match."};
inline constexpr TwoLanguageText kStatusCount{L"%s: %u 個", L"%s: %u"};
inline constexpr TwoLanguageText kExpectedDigest{L"期待値: %s", L"Expected: %s"};
inline constexpr TwoLanguageText kComputedDigest{L"計算値: %s", L"Computed: %s"};
inline constexpr TwoLanguageText kCopyReportQuestion{L"結果をクリップボードにコピーしますか?",
                                                     L"Copy the result to the clipboard?"};

// format with each "%s" or "%u" replaced by the next of values. Throws
// std::bad_alloc.
inline std::wstring FillText(std::wstring_view format, std::initializer_list<std::wstring_view> values)
{
    std::wstring text;
    auto value = values.begin();
    for (std::size_t at = 0; at < format.size(); ++at) {
        if (format[at] == L'%' && at + 1 < format.size() && (format[at + 1] == L's' || format[at + 1] == L'u') &&
            value != values.end()) {
            text += *value++;
            ++at;
        } else {
            text += format[at];
        }
    }
    return text;
}

} // namespace lumbrix
