#include "shellext/command_table.h"

#include "common/text_table.h"

#include <windows.h>

namespace lumbrix {
namespace {

static_assert(kCommandCount <= IDS_COMMAND_ROOM, "the string tables' ids leave room for so many commands");

// A text the table lacks is "": it must not answer an empty verb.
bool IsVerbOf(const wchar_t* verb, const wchar_t* helpText) noexcept
{
    return helpText[0] != 0 && ::lstrcmpW(verb, helpText) == 0;
}

} // namespace

MenuCommand CommandAt(int command) noexcept
{
    const UINT offset = static_cast<UINT>(command);
    return {Text(IDS_COMMAND_LABEL + offset), Text(IDS_COMMAND_HELP + offset),
            TextIn(TextLanguage::Japanese, IDS_COMMAND_HELP + offset)};
}

int FindCommandByVerb(const wchar_t* verb) noexcept
{
    for (int command = 0; command < kCommandCount; ++command) {
        const UINT id = IDS_COMMAND_HELP + static_cast<UINT>(command);
        if (IsVerbOf(verb, TextIn(TextLanguage::Japanese, id)) || IsVerbOf(verb, TextIn(TextLanguage::English, id)))
            return command;
    }
    return -1;
}

} // namespace lumbrix
