#pragma once
// The texts of the notice that ends a copy which could not read everything:
// a paragraph per kind, the count when more than one, and the first path.

namespace lumbrix {

// Folders whose contents are missing from the list.
inline constexpr wchar_t kUnlistedFoldersLead[] = L"読み取れなかったフォルダが";
inline constexpr wchar_t kUnlistedFolderOne[] = L"あります。その中身はコピーした一覧に含まれていません。\r\n";
inline constexpr wchar_t kUnlistedFoldersMany[] =
    L" 個あります。その中身はコピーした一覧に含まれていません。\r\n最初のフォルダ: ";
inline constexpr wchar_t kUnlistedFoldersShort[] = L"読み取れなかったフォルダがあります。";

// Files whose data is online only: not read for the digests, which would have downloaded them.
inline constexpr wchar_t kOnlineOnlyFilesLead[] = L"ダウンロードされていないファイルが";
inline constexpr wchar_t kOnlineOnlyFileOne[] =
    L"あります。読み込むとダウンロードされるため、ハッシュは (ハッシュ取得失敗) としました。\r\n";
inline constexpr wchar_t kOnlineOnlyFilesMany[] =
    L" 個あります。読み込むとダウンロードされるため、ハッシュは (ハッシュ取得失敗) としました。\r\n最初のファイル: ";
inline constexpr wchar_t kOnlineOnlyFilesShort[] = L"ダウンロードされていないファイルのハッシュは取得していません。";

} // namespace lumbrix
