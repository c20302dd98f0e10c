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

void LoadOutputOptions(OutputOptions& options) noexcept
{
    options = OutputOptions{};
    RegistryKey key(HKEY_CURRENT_USER, kOptionsKeyPath, /*create=*/false, /*borrow=*/false, KEY_READ);
    if (!key.ok()) {
        // No key: the user never changed an option.
        if (key.lastError() != ERROR_FILE_NOT_FOUND) ReportSystemError(key.lastError());
        return;
    }
    for (int i = 0; i < OptionFlagCount; ++i) {
        const DWORD fallback = options.flags[i] ? 1 : 0;
        options.flags[i] = key.GetDword(kOptionValueNames[i], fallback) != 0;
    }
    // A number no version wrote reads as the default.
    options.pathStyle = PathStyleFromStored(key.GetDword(kPathStyleValueName, 0));
    options.quoteStyle = QuoteStyleFromStored(key.GetDword(kQuoteStyleValueName, 0));
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
    switch (choice.kind) {
    case OptionChoice::Kind::PathStyle:
        options.pathStyle = PathStyleFromStored(choice.value);
        break;
    case OptionChoice::Kind::QuoteStyle:
        options.quoteStyle = QuoteStyleFromStored(choice.value);
        break;
    default:
        if (choice.value >= OptionFlagCount) return;
        options.flags[choice.value] = !options.flags[choice.value];
        break;
    }
    SaveOutputOptions(options);
}

} // namespace lumbrix
