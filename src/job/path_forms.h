#pragma once
// One found item becomes one result line.

#include "job/path_strings.h"

#include <cstdint>
#include <string>

namespace lumbrix {

struct CopyJob;

void AddEntry(CopyJob& job, const std::wstring& base, const std::wstring& rel, std::int64_t size);
std::wstring ResolvePath(const std::wstring& path, bool useShortNames);

} // namespace lumbrix
