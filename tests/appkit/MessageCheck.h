#pragma once

// The doubles of AppKit and Foundation that the tests run the macOS binding on, on the GNU
// runtime. Before each call, the binding's messaging (Runtime.h) calls checkMessage(), which
// checks the call's C signature against the encoding the answering method was declared with and
// logs the message.
//
// One table of the SDK's declarations (Sdk.cpp) makes the doubles: a class for each declared
// class, a method for each declared method, typed as declared. Its body is the behaviour of its
// selector (Behaviours.cpp), else the generic body of its C signature: setters keep their
// argument as a named property, getters answer it. Each instance is a real object of the runtime
// whose properties and retain count live in the world of the running test; a released object
// stays known, deallocated, until the next reset. Main thread only.

#include "platform/macos/Foundation.h"

#include <algorithm>
#include <any>
#include <cctype>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <typeindex>
#include <vector>

namespace tarvo::appkit {

// The encoding of a C++ type as the macOS arm64 SDK encodes it. There BOOL is bool; the GNU
// runtime's BOOL (unsigned char) stands for it.
template <typename T>
std::string encodingOf() {
    // clang-format off
    static const std::map<std::type_index, std::string> codes{
        {typeid(void), "v"}, {typeid(id), "@"}, {typeid(SEL), ":"}, {typeid(BOOL), "B"},
        {typeid(long), "q"}, {typeid(unsigned long), "Q"}, {typeid(unsigned long long), "Q"},
        {typeid(double), "d"}, {typeid(const void*), "r^v"}, {typeid(const id*), "r^@"},
        {typeid(CGPoint), "{CGPoint=dd}"}, {typeid(CGSize), "{CGSize=dd}"},
        {typeid(CGRect), "{CGRect={CGPoint=dd}{CGSize=dd}}"}};
    // clang-format on
    return codes.at(typeid(T));
}

// "v@:d" for void (id, SEL, double): return type, receiver, selector, arguments.
template <typename Result, typename... Arguments>
std::string messageEncoding() {
    return encodingOf<Result>() + "@:" + (std::string() + ... + encodingOf<Arguments>());
}

namespace doubles {

// Named after its class ("NSStatusItem1"), or after the getter that made it. Permanent: classes,
// constants and shared objects, never deallocated. Held: what it releases when it goes, in the
// order it was given (a menu's items, an array's objects).
struct Instance {
    std::string name;
    long retainCount = 1; // 0: deallocated
    bool isPermanent = false;
    std::map<std::string, std::any> properties = {};
    std::vector<id> held = {};
};

// Its instances are freed with it.
struct World {
    std::vector<id> made;
    std::map<id, Instance> objects;
    std::map<std::string, int> counters;
    std::vector<std::vector<id>> pools;
    std::vector<std::pair<std::string, std::string>> messages; // selector, [receiver message]
    bool isTrackingMenu = false;                               // a menu open: its tracking mode
    id statusItem = nil;                                       // the last item made
    ~World() { std::for_each(made.begin(), made.end(), object_dispose); }
};

// The world of the running test; a new one (the doubles registered first, if need be) frees the
// old one's objects.
World& world();
void resetWorld();

// Unless `holds`, throws, so that the call in progress stops and the test fails, naming the
// fault.
void require(bool holds, const std::string& fault);

Instance& instance(id object);             // throws for an object the doubles do not know
id make(Class cls, std::string name = {}); // a new instance, owned by the caller
id retain(id object);
void release(id object);
id autorelease(id object);

template <typename T>
T property(id object, const std::string& key) {
    const T* value = std::any_cast<T>(&instance(object).properties[key]);
    return value == nullptr ? T{} : *value;
}

// Keeps an object given, unless AppKit keeps it weakly.
template <typename T>
void store(id object, const std::string& key, const T& value) {
    if constexpr (std::is_same_v<T, id>) {
        if (value != nil && key != "delegate" && key != "target") {
            instance(object).held.push_back(retain(value));
        }
    }
    instance(object).properties[key] = value;
}

// A string by its quoted text, a class or another object by its name.
std::string describeObject(id object);

// As the message log shows a value: a flag as YES or NO, a selector by its name, a struct as
// "{0, 0, 46.5, 22}".
template <typename T>
std::string describe(const T& value) {
    std::ostringstream text;
    if constexpr (std::is_same_v<T, id>) {
        text << describeObject(value);
    } else if constexpr (std::is_same_v<T, SEL>) {
        text << (value == nullptr ? "nil" : sel_getName(value));
    } else if constexpr (std::is_same_v<T, BOOL>) {
        text << (value ? "YES" : "NO");
    } else if constexpr (std::is_arithmetic_v<T> || std::is_pointer_v<T>) {
        text << value;
    } else {
        double fields[sizeof(T) / sizeof(double)];
        std::memcpy(fields, &value, sizeof fields);
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            text << (i == 0 ? "{" : ", ") << fields[i];
        }
        text << '}';
    }
    return text.str();
}

// What a message answers as an object: a getter its property or, the first time, a new object of
// the declared class that the receiver keeps (for good, when it is a class); another message a
// new object.
id objectAnswer(id self, const std::string& selector, bool hasArguments);

// A setter keeps its argument as the property it names ("length" for setLength:), an adder too
// ("subview" for addSubview:), the object added held after those before it.
template <typename Result, typename... Arguments>
Result genericBody(id self, SEL selector, Arguments... arguments) {
    const std::string name = sel_getName(selector);
    if constexpr (sizeof...(Arguments) == 1) {
        if (name.starts_with("set") || name.starts_with("add")) {
            const char first = static_cast<char>(std::tolower(name[3]));
            store(self, first + name.substr(4, name.size() - 5), arguments...);
        }
    }
    if constexpr (std::is_same_v<Result, id>) { // an initialiser answers its receiver
        return name.starts_with("init") ? self : objectAnswer(self, name, sizeof...(Arguments) > 0);
    } else if constexpr (!std::is_void_v<Result>) {
        return property<Result>(self, name);
    }
}

// The generic body of each C signature that a message is sent with in the program, by encoding.
inline std::map<std::string, IMP>& genericBodies() {
    static std::map<std::string, IMP> bodies;
    return bodies;
}

template <typename Result, typename... Arguments>
inline const IMP genericBodyOf = genericBodies()[messageEncoding<Result, Arguments...>()] =
    reinterpret_cast<IMP>(&genericBody<Result, Arguments...>);

// What the generic bodies cannot do, by selector: each behaviour's C signature and body.
const std::map<std::string, std::pair<std::string, IMP>>& behaviours();

// The SDK's declarations of what the binding uses (Sdk.cpp): a method's kind ('+' a class method,
// '-' an instance method), return type, selector and argument types; a class's name, superclass
// and methods. Classes come each after its superclass.
using MethodDeclaration = std::tuple<char, std::string, std::string, std::vector<std::string>>;
using ClassDeclaration = std::tuple<std::string, std::string, std::vector<MethodDeclaration>>;

extern const std::vector<ClassDeclaration> declaredClasses;
extern const std::vector<std::string> declaredElsewhere; // selectors of protocols and the program

// The encoding of a type as the SDK spells it, an object type with its class: "@\"NSMenuItem\"" for
// "NSMenuItem *".
std::string encodingOfType(std::string type);

// Whether a call with the C signature `sent` reaches a method declared as `declared` correctly:
// the same types in the same order, regardless of offsets, qualifiers (const, oneway) and class
// names. A block argument takes a plain pointer, the only way C++ passes one.
bool sameSignature(const std::string& declared, const std::string& sent);

void checkMessage(id receiver, Class lookupClass, SEL selector, const std::string& types,
                  const std::vector<std::string>& arguments);

} // namespace doubles

// Fails the running test, naming the selector, when the receiver is deallocated, when no method
// answers `selector` from `lookupClass` (the receiver's class, or the superclass for a message
// to super) or when the method was declared with another signature. Logs the message.
template <typename Result, typename... Arguments>
void checkMessage(id receiver, Class lookupClass, SEL selector, const Arguments&... arguments) {
    static_cast<void>(doubles::genericBodyOf<Result, Arguments...>);
    doubles::checkMessage(receiver, lookupClass, selector, messageEncoding<Result, Arguments...>(),
                          {doubles::describe(arguments)...});
}

} // namespace tarvo::appkit
