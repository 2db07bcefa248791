#pragma once

#include <string>

namespace tarvo {

// printf of one double with "." as the decimal point whatever the process's locale.
// `format` must hold exactly one floating-point conversion.
std::string formatNumber(const char* format, double value);

// The same, appended to `text`: reusing one buffer keeps a steady refresh from allocating.
void appendNumber(std::string& text, const char* format, double value);

} // namespace tarvo
