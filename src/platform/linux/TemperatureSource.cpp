#include "platform/TemperatureSource.h"

namespace tarvo::platform {

const HintText temperatureSourceHint{"(通过内核的 CPU 传感器读取，无需授权)",
                                     "(Read from the kernel's CPU sensors, no admin needed)"};
const HintText temperatureOpeningHint{"(正在读取内核的 CPU 传感器)",
                                      "(Reading the kernel's CPU sensors)"};
const HintText temperatureUnavailableHint{"(内核中未找到 CPU 传感器)",
                                          "(No CPU sensor found in the kernel)"};
const HintText temperatureNotStartedHint{"(无法启动温度读取)",
                                         "(No temperature reader could be started)"};

} // namespace tarvo::platform
