#pragma once
// What the phases of a copy make, one after the other: the lines, the totals
// that size the later phases' work, the text block, and what the copy could
// not read: folders whose contents are missing, files online only.

#include "common/unique_any.h"
#include "job/network_drive_names.h"
#include "job/result_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumbrix {

struct CopyResults {
    ResultList lines;
    std::int64_t totalBytes = 0;  // of the files to hash
    std::uint64_t totalChars = 0; // of the text, CR LF included
    UniqueHGlobal text;           // the assembled block until the clipboard takes it
    // Folders whose contents are missing: their listing could not be had, or
    // failed before its end. The first in lstrcmpiW order of their paths.
    std::uint64_t unlistedFolders = 0;
    std::wstring firstUnlistedFolder;
    // Files whose data is online only, which the digests did not read (their
    // lines carry the failure mark). The first in lstrcmpiW order of their paths.
    std::uint64_t onlineOnlyFiles = 0;
    std::wstring firstOnlineOnlyFile;
    // Reused by each line as it is built, so that a line costs no allocation.
    std::wstring lineScratch;
    std::wstring sourceScratch;
    // The mapped drives' network names, asked once per copy while the
    // selection is expanded, in the network path style only; and the items
    // found before the names were known, in the order found (AddEntry).
    std::optional<NetworkDriveNames> networkNames;
    struct DeferredEntry {
        std::wstring column, source;
        std::int64_t size = 0;
        bool folder = false, named = false, onlineOnly = false;
    };
    std::vector<DeferredEntry> deferredEntries;
};

} // namespace lumbrix
