#include "settings/output_options.h"

#include "common/message_box.h"
#include "settings/registry_key.h"

namespace lumbrix {

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
}

void ToggleOutputOption(OutputOptions& options, OptionFlag flag) noexcept
{
    options[flag] = !options[flag];
    SaveOutputOptions(options);
}

} // namespace lumbrix
