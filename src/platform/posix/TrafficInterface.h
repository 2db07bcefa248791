#pragma once

#include <span>
#include <string_view>

namespace tarvo::platform {

// Whether an interface carries the machine's traffic: up, not loopback, and named with one of
// the prefixes.
bool isTrafficInterface(unsigned flags, std::string_view name,
                        std::span<const std::string_view> namePrefixes);

} // namespace tarvo::platform
