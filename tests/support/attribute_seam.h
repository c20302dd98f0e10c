#pragma once
// Items that Wine cannot make (cloud placeholders, mount points, files whose
// data is online only), made for the scope by changing what the walk and the
// selection read of the items of given names.

#include "common/item_attributes.h"

namespace lumbrix::test {

class AttributeSeam {
public:
    explicit AttributeSeam(AttributeOverride override) noexcept { SetAttributeOverride(override); }
    ~AttributeSeam() { SetAttributeOverride(nullptr); }
    AttributeSeam(const AttributeSeam&) = delete;
    AttributeSeam& operator=(const AttributeSeam&) = delete;
};

} // namespace lumbrix::test
