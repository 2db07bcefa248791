#include "platform/macos/Selectors.h"

namespace tarvo::appkit {

const Selectors& selectors() {
    static const Selectors registered;
    return registered;
}

const Classes& classes() {
    static const Classes found;
    return found;
}

} // namespace tarvo::appkit
