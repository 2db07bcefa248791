#include "appkit/Install.h"
#include "appkit/World.h"
#include "platform/macos/Foundation.h"

// What the binding links against beyond the runtime's functions: the frameworks' exported
// constants, Apple's autorelease pool functions and the block runtime's stack block class.

namespace {

// Storage for the constant strings: an object is its class pointer, and the doubles keep the
// rest of its state.
struct ConstantObject {
    Class isa;
};

ConstantObject commonModes;
ConstantObject fontAttribute;
ConstantObject foregroundColorAttribute;
ConstantObject paragraphStyleAttribute;

id objectAt(ConstantObject& storage) {
    return reinterpret_cast<id>(&storage);
}

} // namespace

extern "C" {

id const NSRunLoopCommonModes = objectAt(commonModes);
id NSFontAttributeName = objectAt(fontAttribute);
id NSForegroundColorAttributeName = objectAt(foregroundColorAttribute);
id NSParagraphStyleAttributeName = objectAt(paragraphStyleAttribute);
// The value AppKit gives it at run time; the header does not say.
const tarvo::appkit::CGFloat NSFontWeightMedium = 0.23;

void* _NSConcreteStackBlock[32];

void* objc_autoreleasePoolPush(void) {
    return tarvo::appkit::doubles::world().pushPool();
}

void objc_autoreleasePoolPop(void* pool) {
    tarvo::appkit::doubles::world().popPool(pool);
}
}

namespace tarvo::appkit::doubles {

void addConstants(World& world) {
    const Class string = classNamed("NSString");
    for (const auto& [object, name] :
         {std::pair{NSRunLoopCommonModes, "NSRunLoopCommonModes"},
          {NSFontAttributeName, "NSFontAttributeName"},
          {NSForegroundColorAttributeName, "NSForegroundColorAttributeName"},
          {NSParagraphStyleAttributeName, "NSParagraphStyleAttributeName"}}) {
        object_setClass(object, string);
        world.addStatic(object, name, StringState{name, true});
    }
}

} // namespace tarvo::appkit::doubles

// Read by LeakSanitizer, when the tests run under it. The runtime's own bookkeeping (loading its
// classes, adding methods to registered classes) it allocates with objc_malloc and never frees;
// the doubles' instances come from objc_calloc, so their leaks still show.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:objc_malloc\n";
}
