#pragma once

#include <cstddef>
#include <objc/runtime.h>

namespace tarvo::appkit {

// An Objective-C class registered at run time whose instances keep a pointer to a C++
// counterpart, which their methods forward to.
class LinkedClass {
public:
    // Subclasses `superclass` as `name`; `addMethods` adds the methods before registration.
    LinkedClass(const char* name, Class superclass, void (*addMethods)(Class));

    Class get() const { return registered; }

    // None is a valid counterpart: the object then forwards nothing.
    void link(id object, void* counterpart) const;

    template <typename Counterpart>
    Counterpart* counterpartOf(id object) const {
        return static_cast<Counterpart*>(linked(object));
    }

private:
    void* linked(id object) const;

    Class registered;
    std::ptrdiff_t offset;
};

// Adds `implementation` as the method for `selector`, with the Objective-C type encoding `types`.
template <typename Implementation>
void addMethod(Class cls, SEL selector, Implementation* implementation, const char* types) {
    class_addMethod(cls, selector, reinterpret_cast<IMP>(implementation), types);
}

// Adds an override, typed like the superclass's method.
template <typename Implementation>
void addOverride(Class cls, Class superclass, SEL selector, Implementation* implementation) {
    addMethod(cls, selector, implementation,
              method_getTypeEncoding(class_getInstanceMethod(superclass, selector)));
}

} // namespace tarvo::appkit
