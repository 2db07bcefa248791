#include "samplers/NetworkSpeed.h"

namespace tarvo {

NetworkSample NetworkSpeed::sample() {
    // An unreadable interface list is not a snapshot of zeros: keeping the baseline avoids
    // reporting every interface's whole counter as one interval's traffic afterwards.
    const auto snapshot = platform::readInterfaceTotals();
    return snapshot ? measure(*snapshot) : NetworkSample{};
}

NetworkSample NetworkSpeed::measure(const platform::InterfaceTotals& snapshot) {
    const bool measurable =
        hasBaseline && snapshot.down >= previousDownloadBytes && snapshot.up >= previousUploadBytes;
    NetworkSample result;
    if (measurable) {
        result.downloadBytesPerSec = static_cast<double>(snapshot.down - previousDownloadBytes);
        result.uploadBytesPerSec = static_cast<double>(snapshot.up - previousUploadBytes);
    }
    previousDownloadBytes = snapshot.down;
    previousUploadBytes = snapshot.up;
    hasBaseline = true;
    return result;
}

} // namespace tarvo
