#include "platform/TemperatureSource.h"

namespace tarvo::platform {

const HintText temperatureSourceHint{"(通过 AppleSMC 直读，无需授权)",
                                     "(Direct AppleSMC read, no admin needed)"};
const HintText temperatureOpeningHint{"(正在打开 AppleSMC 读取温度)",
                                      "(Opening AppleSMC to read temperature)"};
const HintText temperatureUnavailableHint{"(AppleSMC 服务不可用)",
                                          "(AppleSMC service unavailable)"};
// Unavailable all the same, to the user.
const HintText temperatureNotStartedHint = temperatureUnavailableHint;

} // namespace tarvo::platform
