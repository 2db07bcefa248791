#include "appkit/MessageCheck.h"
#include "platform/simulated/ManualLoop.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <stdexcept>
#include <utility>

namespace tarvo::appkit::doubles {

namespace {

std::unique_ptr<World> current; // freed at the next reset and when the tests end

// A class for each declared class and, for each of its declared methods, a method typed as
// declared: the behaviour of its selector, else the generic body of its signature, else none (no
// message has that signature).
bool registerDoubles() {
    for (const auto& [name, superclass, methods] : declaredClasses) {
        const Class cls =
            objc_allocateClassPair(objc_getClass(superclass.c_str()), name.c_str(), 0);
        if (superclass.empty()) { // instances start with their class, as NSObject declares
            class_addIvar(cls, "isa", sizeof(Class), std::countr_zero(alignof(Class)), "#");
        }
        for (const auto& [kind, returnType, selector, argumentTypes] : methods) {
            std::string types = encodingOfType(returnType) + "@:";
            for (const std::string& type : argumentTypes) {
                types += encodingOfType(type);
            }
            const auto behaviour = behaviours().find(selector);
            const std::map<std::string, IMP> bodies =
                behaviour == behaviours().end() ? genericBodies() : std::map{behaviour->second};
            const auto body = std::find_if(bodies.begin(), bodies.end(), [&](const auto& given) {
                return sameSignature(types, given.first);
            });
            if (body != bodies.end()) {
                class_addMethod(kind == '+' ? object_getClass(reinterpret_cast<id>(cls)) : cls,
                                sel_registerName(selector.c_str()), body->second, types.c_str());
            }
        }
        objc_registerClassPair(cls);
    }
    return true;
}

} // namespace

World& world() {
    return *current;
}

// Classes and constants are permanent: not the program's to release.
void resetWorld() {
    [[maybe_unused]] static const bool registered = registerDoubles();
    current = std::make_unique<World>();
    for (const auto& [name, superclass, methods] : declaredClasses) {
        current->objects[reinterpret_cast<id>(objc_getClass(name.c_str()))] = {name, 1, true};
    }
    for (const auto& [constant, name] :
         {std::pair{NSRunLoopCommonModes, "NSRunLoopCommonModes"},
          {NSFontAttributeName, "NSFontAttributeName"},
          {NSForegroundColorAttributeName, "NSForegroundColorAttributeName"},
          {NSParagraphStyleAttributeName, "NSParagraphStyleAttributeName"}}) {
        object_setClass(constant, objc_getClass("NSString"));
        current->objects[constant] = {name, 1, true};
    }
    simulated::resetMainLoop(); // where the timers fire
}

void require(bool holds, const std::string& fault) {
    if (!holds) {
        throw std::logic_error(fault);
    }
}

Instance& instance(id object) {
    return world().objects.at(object);
}

id make(Class cls, std::string name) {
    const id object = world().made.emplace_back(class_createInstance(cls, 0));
    if (name.empty()) { // "NSStatusItem1" for the first NSStatusItem
        name = class_getName(cls) + std::to_string(++world().counters[class_getName(cls)]);
    }
    world().objects[object] = {std::move(name)};
    return object;
}

id retain(id object) {
    ++instance(object).retainCount;
    return object;
}

void release(id object) {
    Instance& found = instance(object);
    require(found.retainCount > (found.isPermanent ? 1 : 0), "over-release of " + found.name);
    if (--found.retainCount == 0) {
        found.properties.erase("block");
        const std::vector<id> held = std::exchange(found.held, {});
        std::for_each(held.begin(), held.end(), release);
    }
}

id autorelease(id object) {
    require(!world().pools.empty(), "no autorelease pool in place for " + instance(object).name);
    world().pools.back().push_back(object);
    return object;
}

id objectAnswer(id self, const std::string& selector, bool hasArguments) {
    if (const id* kept = std::any_cast<id>(&instance(self).properties[selector])) {
        return *kept;
    }
    // The declared class of the object answered: "@\"NSMenuItem\"" is an NSMenuItem.
    const std::string types = method_getTypeEncoding(
        class_getInstanceMethod(object_getClass(self), sel_registerName(selector.c_str())));
    const std::string answered =
        types[1] == '"' ? types.substr(2, types.find('"', 2) - 2) : "NSObject";
    const id answer = make(objc_getClass(answered.c_str()),
                           hasArguments ? "" : describeObject(self) + '.' + selector);
    if (hasArguments) {
        return autorelease(answer);
    }
    instance(answer).isPermanent = class_isMetaClass(object_getClass(self));
    store(self, selector, answer);
    release(answer);
    return answer;
}

std::string describeObject(id object) {
    if (object == nil || class_isMetaClass(object_getClass(object))) {
        return object == nil ? "nil" : class_getName(reinterpret_cast<Class>(object));
    }
    Instance& found = instance(object);
    const auto* text = std::any_cast<std::string>(&found.properties["text"]);
    return text == nullptr ? found.name : '"' + *text + '"';
}

void checkMessage(id receiver, Class lookupClass, SEL selector, const std::string& types,
                  const std::vector<std::string>& arguments) {
    const std::string name = sel_getName(selector);
    std::string text = describeObject(receiver);
    if (receiver != nil) {
        require(class_isMetaClass(object_getClass(receiver)) || instance(receiver).retainCount > 0,
                name + " sent to " + text + ", which is deallocated");
        const Method method = class_getInstanceMethod(lookupClass, selector);
        require(method != nullptr, name + " sent to " + text + ", which has no method for it");
        require(sameSignature(method_getTypeEncoding(method), types),
                name + " sent to " + text + " as " + types + ", but it is declared " +
                    method_getTypeEncoding(method));
        text = lookupClass == object_getClass(receiver) ? text : "super(" + text + ')';
    }
    // [receiver selector] or [receiver part:argument part:argument]
    text = '[' + text + (arguments.empty() ? ' ' + name : "");
    for (std::size_t i = 0, at = 0; i < arguments.size(); ++i, at = name.find(':', at) + 1) {
        text += ' ' + name.substr(at, name.find(':', at) + 1 - at) + arguments[i];
    }
    world().messages.emplace_back(name, text + ']');
}

} // namespace tarvo::appkit::doubles
