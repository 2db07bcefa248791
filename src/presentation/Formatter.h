#pragma once

#include <string>

namespace tarvo {

// Bytes per second as text, in decimal multiples (K = 1,000) up to G.
struct Formatter {
    Formatter() = delete;

    // Long form for the menu: "999 B/s", "12 KB/s", "2.50 MB/s", "1.00 GB/s".
    static std::string rate(double bytesPerSecond);

    // Compact form for the status item: "999B", "12K", "2.5M", "1.0G".
    static std::string rateShort(double bytesPerSecond);
};

} // namespace tarvo
