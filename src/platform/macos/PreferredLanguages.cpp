#include "platform/PreferredLanguages.h"

#include <CoreFoundation/CoreFoundation.h>

namespace tarvo::platform {
namespace {

std::string utf8(CFStringRef text) {
    if (const char* fast = CFStringGetCStringPtr(text, kCFStringEncodingUTF8)) {
        return fast;
    }
    const CFIndex capacity =
        CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
    std::string converted(static_cast<std::size_t>(capacity), '\0');
    if (!CFStringGetCString(text, converted.data(), capacity, kCFStringEncodingUTF8)) {
        return {};
    }
    converted.resize(std::char_traits<char>::length(converted.c_str()));
    return converted;
}

} // namespace

std::vector<std::string> preferredLanguages() {
    std::vector<std::string> tags;
    const CFArrayRef languages = CFLocaleCopyPreferredLanguages();
    if (languages == nullptr) {
        return tags;
    }
    const CFIndex count = CFArrayGetCount(languages);
    for (CFIndex index = 0; index < count; ++index) {
        const void* item = CFArrayGetValueAtIndex(languages, index);
        if (item != nullptr && CFGetTypeID(item) == CFStringGetTypeID()) {
            tags.push_back(utf8(static_cast<CFStringRef>(item)));
        }
    }
    CFRelease(languages);
    return tags;
}

} // namespace tarvo::platform
