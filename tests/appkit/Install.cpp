#include "appkit/Install.h"
#include "appkit/Declarations.h"
#include "appkit/World.h"

#include <bit>

namespace tarvo::appkit::doubles {

void installDoubles() {
    static const bool installed = [] {
        for (const ClassDeclaration& declared : declaredClasses()) {
            const std::string name(declared.name);
            const Class superclass = declared.superclass.empty()
                                         ? Nil
                                         : classNamed(std::string(declared.superclass).c_str());
            const Class cls = objc_allocateClassPair(superclass, name.c_str(), 0);
            if (superclass == Nil) {
                // Instances start with their class, as NSObject declares it.
                class_addIvar(cls, "isa", sizeof(Class), std::countr_zero(alignof(Class)), "#");
            }
            objc_registerClassPair(cls);
        }
        answerFoundation();
        answerAppKit();
        answerViews();
        return true;
    }();
    static_cast<void>(installed);
}

void createSharedObjects(World& world) {
    world.application =
        world.createPermanent(classNamed("NSApplication"), "NSApp", ApplicationState{});
    world.statusBar =
        world.createPermanent(classNamed("NSStatusBar"), "systemStatusBar", StatusBarState{});
    world.mainRunLoop =
        world.createPermanent(classNamed("NSRunLoop"), "mainRunLoop", RunLoopState{});
    world.labelColor = world.createPermanent(classNamed("NSColor"), "labelColor", {});
    world.processInfo = world.createPermanent(classNamed("NSProcessInfo"), "processInfo", {});
    addConstants(world);
}

Class classNamed(const char* name) {
    const Class found = objc_getClass(name);
    if (found == Nil) {
        fail(std::string("no class ") + name);
    }
    return found;
}

Class metaclassOf(Class cls) {
    return object_getClass(reinterpret_cast<id>(cls));
}

void addDouble(Class cls, std::string_view selector, IMP method, const std::string& cTypes) {
    const MethodKind kind =
        class_isMetaClass(cls) ? MethodKind::classMethod : MethodKind::instanceMethod;
    const MethodDeclaration* declared = findDeclaration(class_getName(cls), kind, selector);
    const std::string description = std::string(class_getName(cls)) + " " + std::string(selector);
    if (declared == nullptr) {
        fail("no declaration of " + description);
    }
    if (!sameSignature(declared->types, cTypes)) {
        fail("the double of " + description + " has the C signature " + cTypes +
             ", but it is declared " + declared->types);
    }
    class_addMethod(cls, sel_registerName(std::string(selector).c_str()), method,
                    declared->types.c_str());
}

} // namespace tarvo::appkit::doubles
