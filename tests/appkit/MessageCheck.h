#pragma once

// The doubles of AppKit and Foundation that the tests run the macOS binding on, on the GNU
// runtime. Before each call, the binding's messaging (Runtime.h) calls checkMessage(), which
// checks the call's C signature against the encoding the answering method was declared with and
// logs the message.
//
// One table of the SDK's declarations (Sdk.cpp) makes the doubles: a class for each declared
// class, a method for each declared method, typed as declared, whose body is the generic body of
// that C signature. Setters and initialisers store what they are given as named properties,
// getters answer them, and a few behaviours do what properties cannot. Each instance is a real
// object of the runtime whose properties, retain count and name live in the world of the running
// test; a released object stays known, deallocated, until the next reset. Main thread only.

#include "platform/macos/Foundation.h"

#include <cstring>
#include <map>
#include <memory>
#include <objc/runtime.h>
#include <string>
#include <string_view>
#include <typeindex>
#include <variant>
#include <vector>

namespace tarvo::appkit {

// The encoding of a C++ type as the macOS arm64 SDK encodes it. There BOOL is bool; the GNU
// runtime's BOOL (unsigned char) stands for it.
template <typename T>
std::string encodingOf() {
    if constexpr (std::is_pointer_v<T> && !std::is_same_v<T, id> && !std::is_same_v<T, SEL>) {
        using Pointee = std::remove_pointer_t<T>;
        return (std::is_const_v<Pointee> ? "r^" : "^") + encodingOf<std::remove_const_t<Pointee>>();
    } else {
        // clang-format off
        static const std::map<std::type_index, std::string> codes{
            {typeid(void), "v"}, {typeid(id), "@"}, {typeid(SEL), ":"}, {typeid(BOOL), "B"},
            {typeid(long), "q"}, {typeid(unsigned long), "Q"}, {typeid(unsigned long long), "Q"},
            {typeid(double), "d"}, {typeid(CGPoint), "{CGPoint=dd}"}, {typeid(CGSize), "{CGSize=dd}"},
            {typeid(CGRect), "{CGRect={CGPoint=dd}{CGSize=dd}}"}};
        // clang-format on
        return codes.at(typeid(T));
    }
}

// "v@:d" for void (id, SEL, double): return type, receiver, selector, arguments.
template <typename Result, typename... Arguments>
std::string messageEncoding() {
    return encodingOf<Result>() + "@:" + (std::string() + ... + encodingOf<Arguments>());
}

namespace doubles {

// What a message is given and answers, and what setters and initialisers store: a selector by
// its name, a struct by its fields.
using Property =
    std::variant<std::monostate, bool, double, id, std::string, std::vector<double>, const void*>;
using Arguments = std::vector<Property>;

template <typename T>
Property propertyOf(const T& value) {
    if constexpr (std::is_same_v<T, SEL>) {
        return std::string(value == nullptr ? "nil" : sel_getName(value));
    } else if constexpr (std::is_same_v<T, BOOL>) {
        return value != NO;
    } else if constexpr (std::is_arithmetic_v<T>) {
        return static_cast<double>(value);
    } else if constexpr (std::is_same_v<T, id>) {
        return value;
    } else if constexpr (std::is_pointer_v<T>) {
        return static_cast<const void*>(value);
    } else {
        std::vector<double> fields(sizeof(T) / sizeof(double));
        std::memcpy(fields.data(), &value, sizeof(T));
        return fields;
    }
}

// As the message log shows it.
std::string describe(const Property& property);
std::string describeObject(id object);

Property answerMessage(id self, SEL selector, const Arguments& arguments);

// The body of every declared method, for any C signature.
template <typename Result, typename... Arguments>
Result genericBody(id self, SEL selector, Arguments... arguments) {
    const Property answer = answerMessage(self, selector, {propertyOf(arguments)...});
    if constexpr (std::is_class_v<Result>) {
        Result fields{};
        if (const auto* given = std::get_if<std::vector<double>>(&answer)) {
            std::memcpy(&fields, given->data(), sizeof fields);
        }
        return fields;
    } else if constexpr (std::is_arithmetic_v<Result>) {
        return static_cast<Result>(std::holds_alternative<double>(answer) ? std::get<double>(answer)
                                                                          : 0.0);
    } else if constexpr (!std::is_void_v<Result>) {
        return std::holds_alternative<id>(answer) ? std::get<id>(answer) : nil;
    }
}

// The generic body of each C signature that a message is sent with in the program, by encoding.
std::map<std::string, IMP>& genericBodies();

template <typename Result, typename... Arguments>
inline const IMP genericBodyOf = genericBodies()[messageEncoding<Result, Arguments...>()] =
    reinterpret_cast<IMP>(&genericBody<Result, Arguments...>);

} // namespace doubles

// Fails the running test, naming the selector, when the receiver is deallocated, when no method
// answers `selector` from `lookupClass` (the receiver's class, or the superclass for a message
// to super) or when the method was declared with another signature than `types`. Logs the
// message.
void checkMessage(id receiver, Class lookupClass, SEL selector, const std::string& types,
                  const doubles::Arguments& arguments);

template <typename Result, typename... Arguments>
void checkMessage(id receiver, Class lookupClass, SEL selector, const Arguments&... arguments) {
    static_cast<void>(doubles::genericBodyOf<Result, Arguments...>);
    checkMessage(receiver, lookupClass, selector, messageEncoding<Result, Arguments...>(),
                 {doubles::propertyOf(arguments)...});
}

namespace doubles {

// The SDK's declarations of what the binding uses, types spelt as the macOS 12 headers spell them:
// classes (superclasses first) and their superclasses, methods with their owning class or
// protocol ('+' a class method, '-' an instance method), exported symbols and values.
struct MethodDeclaration {
    std::string_view owner;
    char kind;
    std::string_view selector, returnType;
    std::vector<std::string_view> argumentTypes;
};

extern const std::vector<std::pair<std::string_view, std::string_view>> declaredClasses;
extern const std::vector<MethodDeclaration> declaredMethods;
extern const std::map<std::string_view, std::string_view> declaredSymbols;
extern const std::map<std::string_view, double> declaredValues;

// The encoding of a type as a declaration spells it ("CGFloat" is "d"), and of a method's.
std::string encodingOfType(std::string_view type);
std::string declaredEncoding(const MethodDeclaration& method);

// Whether a call with the C signature `sent` reaches a method declared as `declared` correctly:
// the same types in the same order, regardless of offsets, qualifiers (const, oneway) and class
// names. A block argument takes a plain pointer, the only way C++ passes one.
bool sameSignature(const std::string& declared, const std::string& sent);

// Permanent: classes, constants and shared objects, never deallocated. Items: a menu's, a view's
// subviews, a collection's (a dictionary's keys and values in turn), a run loop's timers. Held:
// what it releases when it goes.
struct Instance {
    std::string name;
    long retainCount = 1;
    bool isPermanent = false, isDeallocated = false;
    std::map<std::string, Property> properties = {};
    std::vector<id> items = {}, held = {};
    std::shared_ptr<void> block = {}; // a timer's heap copy of its block
};

struct World {
    std::map<id, Instance> objects;
    std::map<std::string, int> counters;
    std::vector<std::vector<id>> pools;
    std::vector<std::pair<std::string, std::string>> messages; // selector, [receiver message]
    std::vector<std::string> faults;
    bool statusItemsHaveButton = true, isTrackingMenu = false; // a menu open: its tracking mode
    id statusItem = nil, mainRunLoop = nil;                    // the last item made
};

// The world of the running test; a new one (the doubles registered first, if need be) frees the
// old one's objects.
World& world();
void resetWorld();

// Records the fault and throws, so that the call in progress stops.
[[noreturn]] void fail(const std::string& fault);

Class classNamed(const std::string& name);
Instance& instance(id object); // fails for an object the doubles do not know
// A new instance owned by the caller (+1), named after its class ("NSStatusItem1") or as told.
id make(Class cls, std::string name = {});
id retain(id object);
void release(id object);
id autorelease(id object);
// Sets a property, keeping an object given unless AppKit keeps it weakly; adds an item, kept.
void store(id object, const std::string& key, const Property& value);
void add(id object, id item);

template <typename T>
T property(id object, const std::string& key, T otherwise = {}) {
    const T* value = std::get_if<T>(&instance(object).properties[key]);
    return value == nullptr ? otherwise : *value;
}

using Behaviour = Property (*)(id self, const Arguments& arguments);
const std::map<std::string, Behaviour>& behaviours(); // by selector

} // namespace doubles
} // namespace tarvo::appkit
