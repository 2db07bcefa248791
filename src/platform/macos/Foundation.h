#pragma once

#include "platform/Geometry.h"

#include <objc/runtime.h>

// What the binding needs of Foundation, AppKit and CoreGraphics beyond the runtime, declared
// here rather than taken from their headers (which are Objective-C).
namespace tarvo::appkit {

using CGFloat = double;
using NSInteger = long;
using NSUInteger = unsigned long;
using NSActivityOptions = unsigned long long; // uint64_t on macOS

struct CGPoint {
    CGFloat x;
    CGFloat y;
};

struct CGSize {
    CGFloat width;
    CGFloat height;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
};

inline constexpr NSUInteger utf8StringEncoding = 4; // NSUTF8StringEncoding

inline CGRect toCGRect(const platform::Rect& rect) {
    return {{rect.x, rect.y}, {rect.width, rect.height}};
}

inline platform::Rect toRect(const CGRect& rect) {
    return {rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
}

} // namespace tarvo::appkit

extern "C" {
extern id const NSRunLoopCommonModes;
extern id NSFontAttributeName;
extern id NSForegroundColorAttributeName;
extern id NSParagraphStyleAttributeName;
extern const tarvo::appkit::CGFloat NSFontWeightMedium;

// The runtime's autorelease pools, as the compiler's @autoreleasepool uses them.
void* objc_autoreleasePoolPush(void);
void objc_autoreleasePoolPop(void* pool);

// The class of a block literal built on the stack; copying it moves it to the heap.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the runtime's name.
extern void* _NSConcreteStackBlock[32];
}
