#include "settings/output_options.h"

#include "common/message_box.h"
#include "settings/registry_key.h"

namespace lumbrix {

bool IsChosen(const OutputOptions& options, OptionChoice choice) noexcept
{
    switch (choice.kind) {
    case OptionChoice::Kind::PathStyle:
        return options.pathStyle == PathStyleFromStored(choice.value);
    case OptionChoice::Kind::QuoteStyle:
        return options.quoteStyle == QuoteStyleFromStored(choice.value);
    default:
        return choice.value < OptionFlagCount && options.flags[choice.value];
    }
}

std::uint32_t ReadOutputOptions(OutputOptions& options) noexcept
{
    options = OutputOptions{};
    RegistryKey key(HKEY_CURRENT_USER, kOptionsKeyPath, /*create=*/false, /*borrow=*/false, KEY_READ);
    if (!key.ok()) {
        // No key: the user never changed an option.
        return key.lastError() == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : key.lastError();
    }
    for (int i = 0; i < OptionFlagCount; ++i) {
        const DWORD fallback = options.flags[i] ? 1 : 0;
        options.flags[i] = key.GetDword(kOptionValueNames[i], fallback) != 0;
    }
    // A number no version wrote reads as the default.
    options.pathStyle = PathStyleFromStored(key.GetDword(kPathStyleValueName, 0));
    options.quoteStyle = QuoteStyleFromStored(key.GetDword(kQuoteStyleValueName, 0));
    return ERROR_SUCCESS;
}

void LoadOutputOptions(OutputOptions& options) noexcept
{
    const DWORD error = ReadOutputOptions(options);
    if (error != ERROR_SUCCESS) ReportSystemError(error);
}

void SaveOutputOptions(const OutputOptions& options) noexcept
{
    RegistryKey key(HKEY_CURRENT_USER, kOptionsKeyPath, /*create=*/true, /*borrow=*/false, KEY_SET_VALUE);
    if (!key.ok()) {
        ReportSystemError(key.lastError());
        return;
    }
    // A failed write is not reported and does not stop the others.
    for (int i = 0; i < OptionFlagCount; ++i)
        key.SetDword(kOptionValueNames[i], REG_DWORD, options.flags[i] ? 1 : 0);
    key.SetDword(kPathStyleValueName, REG_DWORD, static_cast<DWORD>(options.pathStyle));
    key.SetDword(kQuoteStyleValueName, REG_DWORD, static_cast<DWORD>(options.quoteStyle));
}

void ToggleOutputOption(OutputOptions& options, OptionChoice choice) noexcept
{
    if (choice.kind == OptionChoice::Kind::Flag && choice.value >= OptionFlagCount) return;
    // A flag becomes the opposite of what the menu showed, a style the one
    // picked; the others are taken as stored now, so that a change made
    // meanwhile in another window is not undone. A key that cannot be read
    // leaves them as the menu had them.
    const bool flagChosen = choice.kind == OptionChoice::Kind::Flag && !options.flags[choice.value];
    OutputOptions stored;
    if (ReadOutputOptions(stored) == ERROR_SUCCESS) options = stored;
    switch (choice.kind) {
    case OptionChoice::Kind::PathStyle:
        options.pathStyle = PathStyleFromStored(choice.value);
        break;
    case OptionChoice::Kind::QuoteStyle:
        options.quoteStyle = QuoteStyleFromStored(choice.value);
        break;
    default:
        options.flags[choice.value] = flagChosen;
        break;
    }
    SaveOutputOptions(options);
}

} // namespace lumbrix
