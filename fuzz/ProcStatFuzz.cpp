#include "platform/linux/ProcStat.h"

#include <cstddef>
#include <cstdint>

// The input read twice, halves first: a first reading, then processors that came, went or
// counted backwards.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tarvo::platform::ProcessorTickCounter counter;
    counter.add(text.substr(0, size / 2));
    counter.add(text.substr(size / 2));
    counter.add(text);
    return 0;
}
