#pragma once
// What a copy is asked to do, fixed before its worker starts: the path form,
// the selection and its make-up, and the options.

#include "job/network_drive_names.h"
#include "job/selection_list.h"
#include "settings/output_options.h"

#include <cstdint>

namespace lumbrix {

// The menu's copy commands by number: the path form of a copy.
enum CopyMode : std::int32_t {
    FullPath = 1,
    FullPathWithSubfolders = 2,
    RelativeWithSubfolders = 3,
    RelativeOneLevelDown = 4,
    NameOnly = 5,
    NameWithoutExtension = 27, // NameOnly's names, each file's last extension removed
};

struct CopyRequest {
    std::int32_t mode = 0; // a CopyMode
    std::uint64_t fileCount = 0;
    std::uint64_t folderCount = 0;
    OutputOptions options;
    SelectionList selection;
    // Starts the threads that may outlive the copy (a network lookup that
    // does not answer); the DLL's starter holds the module.
    DetachedThreadStarter detachedThreads = &StartDetachedThread;
};

} // namespace lumbrix
