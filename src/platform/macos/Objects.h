#pragma once

#include "platform/ObjectRef.h"

#include <objc/runtime.h>
#include <string_view>

namespace tarvo::appkit {

inline id objectOf(const platform::ObjectRef& object) {
    return static_cast<id>(object.get());
}

// A new NSString of the UTF-8 `text`; none when `text` is not UTF-8.
platform::ObjectRef makeString(std::string_view text);

} // namespace tarvo::appkit
