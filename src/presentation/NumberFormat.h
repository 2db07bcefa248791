#pragma once

#include <string>

namespace tarvo {

// printf of one double with "." as the decimal point whatever the process's locale.
// `format` must hold exactly one floating-point conversion.
std::string formatNumber(const char* format, double value);

} // namespace tarvo
