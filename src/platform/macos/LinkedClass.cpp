#include "platform/macos/LinkedClass.h"

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvo::appkit {

namespace {

constexpr const char* counterpartName = "tarvoCounterpart";

Class makeClass(const char* name, Class superclass, void (*addMethods)(Class)) {
    const Class cls = objc_allocateClassPair(superclass, name, 0);
    if (cls == Nil) {
        // Another image in the process defines a class of this name: nothing could answer for
        // the program's objects, so it stops here rather than write through Nil.
        // NOLINTNEXTLINE(cert-err33-c): it aborts whether or not the message got out.
        std::fprintf(stderr, "Tarvo: the Objective-C class name %s is already in use\n", name);
        std::abort();
    }
    class_addIvar(cls, counterpartName, sizeof(void*), std::countr_zero(alignof(void*)), "^v");
    addMethods(cls);
    objc_registerClassPair(cls);
    return cls;
}

} // namespace

LinkedClass::LinkedClass(const char* name, Class superclass, void (*addMethods)(Class))
    : registered(makeClass(name, superclass, addMethods)),
      offset(ivar_getOffset(class_getInstanceVariable(registered, counterpartName))) {}

void LinkedClass::link(id object, void* counterpart) const {
    std::memcpy(reinterpret_cast<char*>(object) + offset, &counterpart, sizeof counterpart);
}

void* LinkedClass::linked(id object) const {
    void* counterpart = nullptr;
    std::memcpy(&counterpart, reinterpret_cast<const char*>(object) + offset, sizeof counterpart);
    return counterpart;
}

} // namespace tarvo::appkit
