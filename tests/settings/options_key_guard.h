#pragma once
// Starts and ends a test with no stored options: removes the per-user options
// key (the test programs run in a private Wine prefix), and reads its values.

#include "settings/output_options.h"

#include <windows.h>

#include <optional>

namespace lumbrix::test {

class OptionsKeyGuard {
public:
    OptionsKeyGuard() { Remove(); }
    ~OptionsKeyGuard() { Remove(); }
    OptionsKeyGuard(const OptionsKeyGuard&) = delete;
    OptionsKeyGuard& operator=(const OptionsKeyGuard&) = delete;

    static void Remove() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kOptionsKeyPath); }
};

// A stored REG_DWORD option value, or nothing when it is missing.
inline std::optional<DWORD> StoredOption(OptionFlag flag)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kOptionsKeyPath, kOptionValueNames[flag], RRF_RT_REG_DWORD, nullptr,
                       &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline void StoreOption(OptionFlag flag, DWORD value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kOptionsKeyPath, kOptionValueNames[flag], REG_DWORD, &value, sizeof value);
}

} // namespace lumbrix::test
