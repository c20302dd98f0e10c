#include "shellext/command_table.h"

#include "shellext/path_style_texts.h"

#include <windows.h>

#include <iterator>

namespace lumbrix {
namespace {

constexpr MenuCommand kCommands[kCommandCount] = {
    {L"名前をコピー(&N)", L"クリップボードにファイル・フォルダ名をコピーします。"},
    {L"フルパス(&F)", L"絶対パスをコピーします。"},
    {L"フルパス サブフォルダ付(&S)", L"サブフォルダ配下を検索して絶対パスをコピーします。"},
    {L"カレント サブフォルダ付(&C)", L"サブフォルダ配下を検索して相対パスをコピーします。"},
    {L"カレント サブフォルダ 1 段配下(&R)", L"指定フォルダの 1 段下から配下を検索して相対パスをコピーします。"},
    {L"カレント ファイル名(&N)", L"フォルダ名を含めないでファイル名をコピーします。"},
    {L"フォルダを含める(&I)", L"検索結果にフォルダを含めます。"},
    {L"短いファイル名を取得する(&D)", L"検索結果に短いファイル名を使用します。"},
    {L"ジャンクションポイントを含める(&J)", L"検索結果にジャンクション (リパース) ポイントを含めます。"},
    {L"パス区切り記号 \\ をエスケープする(&Y)", L"検索結果のパス区切り記号 (\\) を 2 重にします (\\\\)。"},
    {L"URL として出力する(&U)",
     L"検索結果のパス区切り記号 (\\) を / に変え、フルパスの場合先頭に file:// を付けます。"},
    {L"ファイルサイズを出力する(&Z)", L"検索結果の後ろにファイルサイズを追加します。"},
    {L"CRC32 を出力する(&3)",
     L"検索結果の後ろに CRC32 ハッシュを追加します。(ファイル内容を総読みするので低速です)"},
    {L"MD5 を出力する(&M)", L"検索結果の後ろに MD5 ハッシュを追加します。(ファイル内容を総読みするので低速です)"},
    {L"SHA-1 を出力する(&1)",
     L"検索結果の後ろに SHA-1 ハッシュを追加します。(ファイル内容を総読みするので低速です)"},
    {L"SHA-256 を出力する(&2)",
     L"検索結果の後ろに SHA-256 ハッシュを追加します。(ファイル内容を総読みするので低速です)"},
    {L"チェックサム ファイルを作成(&K)...",
     L"選択したファイルのハッシュを、sha256sum などで検証できるチェックサム ファイルに保存します。"},
    {L"ハッシュを照合(&V)",
     L"選択したファイルを、クリップボードのハッシュまたはチェックサム ファイルと照合します。(ファイル内容を総読みするので低速です)"},
    {kPathFormCommands[0].label.japanese, kPathFormCommands[0].helpText.japanese},
    {kPathFormCommands[1].label.japanese, kPathFormCommands[1].helpText.japanese},
    {kPathFormCommands[2].label.japanese, kPathFormCommands[2].helpText.japanese},
    {kPathFormCommands[3].label.japanese, kPathFormCommands[3].helpText.japanese},
    {kPathFormCommands[4].label.japanese, kPathFormCommands[4].helpText.japanese},
    {kPathFormCommands[5].label.japanese, kPathFormCommands[5].helpText.japanese},
    {kPathFormCommands[6].label.japanese, kPathFormCommands[6].helpText.japanese},
    {kPathFormCommands[7].label.japanese, kPathFormCommands[7].helpText.japanese},
    {kPathFormCommands[8].label.japanese, kPathFormCommands[8].helpText.japanese},
    {kPathFormCommands[9].label.japanese, kPathFormCommands[9].helpText.japanese},
};

static_assert(std::size(kPathFormCommands) == kCommandCount - kFirstPathStyleCommand);

} // namespace

const MenuCommand& CommandAt(int command) noexcept
{
    return kCommands[command];
}

int FindCommandByVerb(const wchar_t* verb) noexcept
{
    for (int command = 0; command < kCommandCount; ++command)
        if (::lstrcmpW(verb, kCommands[command].helpText) == 0) return command;
    return -1;
}

} // namespace lumbrix
