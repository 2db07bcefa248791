#pragma once

// What the macOS binding's messaging does on the GNU runtime before each call (see Runtime.h):
// the call's C signature, as an Objective-C type encoding, goes to the AppKit doubles, which
// check it against the encoding the answering method was declared with and record the message.

#include "platform/macos/Foundation.h"

#include <objc/runtime.h>
#include <string>
#include <type_traits>
#include <vector>

namespace tarvo::appkit {

// The encoding of a C++ type as the macOS arm64 SDK encodes it. There BOOL is bool; the GNU
// runtime's BOOL (unsigned char) stands for it.
template <typename T>
std::string encodingOf() {
    if constexpr (std::is_same_v<T, void>) {
        return "v";
    } else if constexpr (std::is_same_v<T, id>) {
        return "@";
    } else if constexpr (std::is_same_v<T, Class>) {
        return "#";
    } else if constexpr (std::is_same_v<T, SEL>) {
        return ":";
    } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, BOOL>) {
        return "B";
    } else if constexpr (std::is_same_v<T, char> || std::is_same_v<T, signed char>) {
        return "c";
    } else if constexpr (std::is_same_v<T, int>) {
        return "i";
    } else if constexpr (std::is_same_v<T, unsigned int>) {
        return "I";
    } else if constexpr (std::is_same_v<T, long> || std::is_same_v<T, long long>) {
        return "q";
    } else if constexpr (std::is_same_v<T, unsigned long> ||
                         std::is_same_v<T, unsigned long long>) {
        return "Q";
    } else if constexpr (std::is_same_v<T, float>) {
        return "f";
    } else if constexpr (std::is_same_v<T, double>) {
        return "d";
    } else if constexpr (std::is_same_v<T, CGPoint>) {
        return "{CGPoint=dd}";
    } else if constexpr (std::is_same_v<T, CGSize>) {
        return "{CGSize=dd}";
    } else if constexpr (std::is_same_v<T, CGRect>) {
        return "{CGRect={CGPoint=dd}{CGSize=dd}}";
    } else {
        static_assert(std::is_pointer_v<T>, "a type the binding's messages do not use");
        using Pointee = std::remove_pointer_t<T>;
        return (std::is_const_v<Pointee> ? "r^" : "^") + encodingOf<std::remove_const_t<Pointee>>();
    }
}

// "v@:d" for void (id, SEL, double): return type, receiver, selector, arguments.
template <typename Result, typename... Arguments>
std::string messageEncoding() {
    return encodingOf<Result>() + "@:" + (std::string() + ... + encodingOf<Arguments>());
}

// A string as its quoted text, a constant by its name, an array or a dictionary by its contents,
// any other object by its name.
std::string describeObject(id object);
std::string describeSelector(SEL selector);
std::string describeNumber(double number);
std::string describeStruct(const CGPoint& point);
std::string describeStruct(const CGSize& size);
std::string describeStruct(const CGRect& rect);

// An argument as the message log shows it.
template <typename T>
std::string describe(const T& value) {
    if constexpr (std::is_same_v<T, id>) {
        return describeObject(value);
    } else if constexpr (std::is_same_v<T, SEL>) {
        return describeSelector(value);
    } else if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, BOOL>) {
        return value ? "YES" : "NO";
    } else if constexpr (std::is_integral_v<T>) {
        return std::to_string(value);
    } else if constexpr (std::is_floating_point_v<T>) {
        return describeNumber(value);
    } else if constexpr (std::is_pointer_v<T>) {
        return "<pointer>";
    } else {
        return describeStruct(value);
    }
}

// Fails the running test, naming the selector, when no method answers `selector` from
// `lookupClass` (the receiver's class, or the superclass for a message to super) or when the
// method was declared with another signature than `types`. Records the message.
void checkMessage(id receiver, Class lookupClass, SEL selector, const std::string& types,
                  std::vector<std::string> arguments);

template <typename Result, typename... Arguments>
void checkMessage(id receiver, Class lookupClass, SEL selector, const Arguments&... arguments) {
    checkMessage(receiver, lookupClass, selector, messageEncoding<Result, Arguments...>(),
                 {describe(arguments)...});
}

} // namespace tarvo::appkit
