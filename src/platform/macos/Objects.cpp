#include "platform/macos/Objects.h"
#include "platform/Application.h"
#include "platform/macos/Foundation.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

namespace tarvo::platform {

void retainObject(void* object) {
    appkit::send<id>(static_cast<id>(object), appkit::selectors().retain);
}

void releaseObject(void* object) {
    appkit::send<void>(static_cast<id>(object), appkit::selectors().release);
}

AutoreleasePool::AutoreleasePool() : token(objc_autoreleasePoolPush()) {}

AutoreleasePool::~AutoreleasePool() {
    objc_autoreleasePoolPop(token);
}

} // namespace tarvo::platform

namespace tarvo::appkit {

platform::ObjectRef makeString(std::string_view text) {
    const Selectors& s = selectors();
    const id string = send<id>(classes().nsString, s.alloc);
    return platform::ObjectRef::adopt(send<id, const void*, NSUInteger, NSUInteger>(
        string, s.initWithBytesLengthEncoding, text.data(), text.size(), utf8StringEncoding));
}

} // namespace tarvo::appkit
