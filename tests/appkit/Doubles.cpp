#include "appkit/MessageCheck.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace tarvo::appkit::doubles {

namespace {

World* current = nullptr;
std::vector<id> made; // every instance, freed at the next reset

// The body of a declared method whose signature no message of the program has.
void unreachable(id, SEL selector) {
    fail(std::string("no message has the declared signature of ") + sel_getName(selector));
}

// A class for each declared class and, for each of its declared methods, a method typed as
// declared whose body is the generic body of that signature. The binding adds the methods of its
// own classes and of protocols.
bool registerDoubles() {
    std::set<std::string_view> doubles;
    for (const auto& [name, superclass] : declaredClasses) {
        doubles.insert(name);
        const Class cls = objc_allocateClassPair(
            superclass.empty() ? Nil : classNamed(std::string(superclass)), name.data(), 0);
        if (superclass.empty()) { // instances start with their class, as NSObject declares
            class_addIvar(cls, "isa", sizeof(Class), std::countr_zero(alignof(Class)), "#");
        }
        objc_registerClassPair(cls);
    }
    for (const MethodDeclaration& method : declaredMethods) {
        const std::string types = declaredEncoding(method);
        const auto body =
            std::find_if(genericBodies().begin(), genericBodies().end(),
                         [&](const auto& given) { return sameSignature(types, given.first); });
        const Class owner = objc_getClass(std::string(method.owner).c_str());
        if (doubles.contains(method.owner)) {
            class_addMethod(
                method.kind == '+' ? object_getClass(reinterpret_cast<id>(owner)) : owner,
                sel_registerName(std::string(method.selector).c_str()),
                body == genericBodies().end() ? reinterpret_cast<IMP>(unreachable) : body->second,
                types.c_str());
        }
    }
    return true;
}

// The class of what a method answers, as declared: "NSMenuItem *" is an NSMenuItem.
Class answeredClass(const std::string& selector) {
    for (const MethodDeclaration& method : declaredMethods) {
        const std::string type(method.returnType);
        std::smatch match;
        if (method.selector == selector &&
            std::regex_search(type, match, std::regex(R"(^id|(\w+) *\*$)"))) {
            return classNamed(match[1].matched ? match[1].str() : "NSObject");
        }
    }
    return Nil;
}

// Classes, constants and shared objects: not the program's to release.
id addPermanent(id object, const std::string& name, const Property& text = {}) {
    current->objects[object] = {name, 1, true, false, {{"text", text}}};
    return object;
}

} // namespace

std::map<std::string, IMP>& genericBodies() {
    static std::map<std::string, IMP> bodies;
    return bodies;
}

World& world() {
    return *current;
}

void resetWorld() {
    static const bool registered = registerDoubles();
    static_cast<void>(registered);
    std::for_each(made.begin(), made.end(), object_dispose);
    made.clear();
    delete current;
    current = new World();
    for (const auto& [name, superclass] : declaredClasses) {
        addPermanent(reinterpret_cast<id>(classNamed(std::string(name))), std::string(name));
    }
    for (const auto& [constant, name] :
         {std::pair{NSRunLoopCommonModes, "NSRunLoopCommonModes"},
          {NSFontAttributeName, "NSFontAttributeName"},
          {NSForegroundColorAttributeName, "NSForegroundColorAttributeName"},
          {NSParagraphStyleAttributeName, "NSParagraphStyleAttributeName"}}) {
        object_setClass(constant, classNamed("NSString"));
        addPermanent(constant, name, std::string(name));
    }
    for (const auto& [cls, getter, name] :
         {std::tuple{"NSApplication", "sharedApplication", "NSApp"},
          {"NSRunLoop", "mainRunLoop", "mainRunLoop"}}) {
        made.push_back(class_createInstance(classNamed(cls), 0));
        instance(reinterpret_cast<id>(classNamed(cls))).properties[getter] =
            addPermanent(made.back(), name);
    }
    current->mainRunLoop = made.back();
}

void fail(const std::string& fault) {
    world().faults.push_back(fault);
    throw std::logic_error(fault);
}

Class classNamed(const std::string& name) {
    const Class found = objc_getClass(name.c_str());
    if (found == Nil) {
        fail("no class " + name);
    }
    return found;
}

Instance& instance(id object) {
    const auto found = world().objects.find(object);
    if (found == world().objects.end()) {
        fail("not an object of the doubles");
    }
    return found->second;
}

id make(Class cls, std::string name) {
    made.push_back(class_createInstance(cls, 0));
    if (name.empty()) { // "NSStatusItem1" for the first NSStatusItem
        name = class_getName(cls) + std::to_string(++world().counters[class_getName(cls)]);
    }
    world().objects[made.back()] = {std::move(name)};
    return made.back();
}

id retain(id object) {
    ++instance(object).retainCount;
    return object;
}

void release(id object) {
    Instance& found = instance(object);
    if (found.retainCount <= (found.isPermanent ? 1 : 0)) {
        fail("over-release of " + found.name);
    }
    if (--found.retainCount == 0) {
        found.isDeallocated = true;
        found.block.reset();
        for (id held : std::exchange(found.held, {})) {
            release(held);
        }
    }
}

id autorelease(id object) {
    if (world().pools.empty()) {
        fail("no autorelease pool in place for " + instance(object).name);
    }
    world().pools.back().push_back(object);
    return object;
}

void store(id object, const std::string& key, const Property& value) {
    instance(object).properties[key] = value;
    const id* given = std::get_if<id>(&value);
    if (given != nullptr && *given != nil && key != "delegate" && key != "target") { // weak
        instance(object).held.push_back(retain(*given));
    }
}

void add(id object, id item) {
    instance(object).items.push_back(item);
    instance(object).held.push_back(retain(item));
}

// setTitle: sets the title, initWithTitle:action:keyEquivalent: the title, action and key
// equivalent and answers the receiver, addItem: adds an item. A getter answers its property or,
// when it has none, a new object of the declared class, named after the message when it takes
// no argument. A behaviour of the selector goes first.
Property answerMessage(id self, SEL selector, const Arguments& arguments) {
    const std::string name = sel_getName(selector);
    if (const auto behaviour = behaviours().find(name); behaviour != behaviours().end()) {
        return behaviour->second(self, arguments);
    }
    if (name.starts_with("add")) {
        add(self, std::get<id>(arguments.at(0)));
        return {};
    }
    const bool isInit = name.starts_with("init");
    if (isInit || name.starts_with("set")) {
        std::size_t at = name.starts_with("initWith") ? 8 : isInit ? 4 : 3;
        for (const Property& argument : arguments) {
            const std::size_t colon = name.find(':', at);
            std::string key = name.substr(at, colon - at);
            key[0] = static_cast<char>(std::tolower(key[0]));
            store(self, key, argument);
            at = colon + 1;
        }
        return isInit ? Property(self) : Property();
    }
    if (instance(self).properties.contains(name)) {
        return instance(self).properties[name];
    }
    const Class answered = answeredClass(name);
    if (answered == Nil) {
        return {};
    }
    return autorelease(make(answered, arguments.empty() ? describe(self) + '.' + name : ""));
}

// A flag as YES or NO, a selector by its name, a struct as "{0, 0, 46.5, 22}".
std::string describe(const Property& property) {
    std::ostringstream text;
    text.precision(15);
    if (const auto* flag = std::get_if<bool>(&property)) {
        text << (*flag ? "YES" : "NO");
    } else if (const auto* number = std::get_if<double>(&property)) {
        text << *number;
    } else if (const auto* name = std::get_if<std::string>(&property)) {
        text << *name;
    } else if (const auto* fields = std::get_if<std::vector<double>>(&property)) {
        for (std::size_t i = 0; i < fields->size(); ++i) {
            text << (i == 0 ? "{" : ", ") << (*fields)[i];
        }
        text << '}';
    } else if (const id* object = std::get_if<id>(&property)) {
        text << describeObject(*object);
    } else {
        text << "<pointer>";
    }
    return text.str();
}

// A string by its quoted text (a constant's by its name), another object by its name.
std::string describeObject(id object) {
    if (object == nil || class_isMetaClass(object_getClass(object))) {
        return object == nil ? "nil" : class_getName(reinterpret_cast<Class>(object));
    }
    Instance& found = instance(object);
    const auto* text = std::get_if<std::string>(&found.properties["text"]);
    return text == nullptr || found.isPermanent ? found.name : '"' + *text + '"';
}

} // namespace tarvo::appkit::doubles

namespace tarvo::appkit {

void checkMessage(id receiver, Class lookupClass, SEL selector, const std::string& types,
                  const doubles::Arguments& arguments) {
    using namespace doubles;
    const std::string name = sel_getName(selector);
    std::string text = describeObject(receiver);
    if (receiver != nil) {
        const auto found = world().objects.find(receiver);
        if (found != world().objects.end() && found->second.isDeallocated) {
            fail(name + " sent to " + text + ", which is deallocated");
        }
        const Method method = class_getInstanceMethod(lookupClass, selector);
        if (method == nullptr) {
            fail(name + " sent to " + text + ", which has no method for it");
        }
        if (!sameSignature(method_getTypeEncoding(method), types)) {
            fail(name + " sent to " + text + " as " + types + ", but it is declared " +
                 method_getTypeEncoding(method));
        }
        text = lookupClass == object_getClass(receiver) ? text : "super(" + text + ')';
    }
    // [receiver selector] or [receiver part:argument part:argument]
    text = '[' + text + (arguments.empty() ? ' ' + name : "");
    for (std::size_t i = 0, at = 0; i < arguments.size(); ++i, at = name.find(':', at) + 1) {
        text += ' ' + name.substr(at, name.find(':', at) + 1 - at) + describe(arguments[i]);
    }
    world().messages.emplace_back(name, text + ']');
}

} // namespace tarvo::appkit
