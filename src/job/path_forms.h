#pragma once
// One found item becomes one result line.

#include "job/path_strings.h"

#include <cstdint>
#include <string>

namespace lumbrix {

class ProgressReport;
struct CopyRequest;
struct CopyResults;

// The line of one found item, in the request's mode and options, added to
// results and shown in the report. folder, size and onlineOnly (a file whose
// data is not on this machine) are what the walk or the selection's own query
// found: the line is built without asking the file system again.
void AddEntry(const CopyRequest& request, CopyResults& results, ProgressReport& report, const std::wstring& base,
              const std::wstring& rel, std::int64_t size, bool folder, bool onlineOnly = false);
// In the network path style an item found while its drive's network name is
// still asked for waits in results (a few thousand at most) and the walk goes
// on; this adds the items that wait, waiting for the names if need be.
void AddDeferredEntries(const CopyRequest& request, CopyResults& results, ProgressReport& report);
std::wstring ResolvePath(const std::wstring& path, bool useShortNames);

} // namespace lumbrix
