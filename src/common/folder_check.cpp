#include "common/folder_check.h"

#include "common/item_attributes.h"

namespace lumbrix {

bool IsFolderOnDisk(const std::wstring& path) { return AttributesOfPath(path).IsFolder(); }

} // namespace lumbrix
