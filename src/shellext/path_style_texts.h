#pragma once
// The menu texts of the path styles, the quotes, one line and the name
// without extension, each in Japanese and English, in one place until they
// move into the string tables. The product shows the Japanese ones.

#include "common/checksum_texts.h"

namespace lumbrix {

// The nested submenu of the classic menu, and its entry in the Windows 11 menu.
inline constexpr TwoLanguageText kPathFormEntryLabel{L"パスの形式(&P)", L"&Path format"};

struct TwoLanguageCommand {
    TwoLanguageText label;
    TwoLanguageText helpText; // also the verb
};

// Commands 18 to 27, in command order.
inline constexpr TwoLanguageCommand kPathFormCommands[] = {
    {{L"Windows 形式 (C:\\…)", L"Windows (C:\\…)"},
     {L"検索結果のパスをエクスプローラーと同じ形式 (C:\\…) で出力します。",
      L"Writes the paths as Explorer shows them (C:\\…)."}},
    {{L"ネットワーク パス (\\\\サーバー\\共有\\…)", L"Network path (\\\\server\\share\\…)"},
     {L"ネットワーク ドライブ上のフルパスを、割り当て先の UNC パス (\\\\サーバー\\共有\\…) で出力します。",
      L"Writes full paths on mapped network drives as the UNC paths they stand for (\\\\server\\share\\…)."}},
    {{L"スラッシュ区切り (C:/…)", L"Forward slashes (C:/…)"},
     {L"検索結果のパス区切り記号 (\\) を / に変えて出力します (C:/…)。",
      L"Writes the paths with forward slashes (C:/…)."}},
    {{L"WSL 形式 (/mnt/c/…)", L"WSL (/mnt/c/…)"},
     {L"検索結果のパスを WSL の形式 (/mnt/c/…) で出力します。", L"Writes the paths as WSL names them (/mnt/c/…)."}},
    {{L"MSYS / Git Bash 形式 (/c/…)", L"MSYS / Git Bash (/c/…)"},
     {L"検索結果のパスを MSYS / Git Bash の形式 (/c/…) で出力します。",
      L"Writes the paths as MSYS and Git Bash name them (/c/…)."}},
    {{L"引用符なし", L"No quotes"},
     {L"検索結果のパスを引用符で囲みません。", L"Writes the paths without quotes."}},
    {{L"空白などを含むときだけ引用符で囲む", L"Quotes only where needed (spaces and the like)"},
     {L"空白や記号を含むパスだけを引用符 (\") で囲みます。",
      L"Puts quotes (\") around the paths that contain a space or a special character."}},
    {{L"常に引用符で囲む", L"Always quotes"},
     {L"検索結果のパスをすべて引用符 (\") で囲みます。", L"Puts quotes (\") around every path."}},
    {{L"1 行にまとめる (スペース区切り)(&L)", L"One &line (separated by spaces)"},
     {L"検索結果を改行の代わりにスペースで区切って 1 行にまとめます。",
      L"Joins the results into one line, separated by spaces instead of line breaks."}},
    {{L"拡張子なしのファイル名(&E)", L"File name without &extension"},
     {L"フォルダ名と拡張子を含めないでファイル名をコピーします。",
      L"Copies file names without folder names and extensions."}},
};

} // namespace lumbrix
