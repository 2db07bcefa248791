#include "appkit/MessageCheck.h"
#include "platform/macos/Runtime.h"
#include "platform/simulated/ManualLoop.h"

#include <algorithm>
#include <cstdlib>

// What properties cannot do: memory, strings and collections, the event loop, the status item,
// timers and their blocks, fonts and text measuring. Beyond the runtime, the binding links
// against the frameworks' constants, the autorelease pools and the stack block class.
namespace {

struct ConstantObject { // a constant string's storage: its class; the world keeps the rest
    Class isa;
};

ConstantObject constants[4];

} // namespace

extern "C" {
id const NSRunLoopCommonModes = reinterpret_cast<id>(&constants[0]);
id NSFontAttributeName = reinterpret_cast<id>(&constants[1]);
id NSForegroundColorAttributeName = reinterpret_cast<id>(&constants[2]);
id NSParagraphStyleAttributeName = reinterpret_cast<id>(&constants[3]);
const tarvo::appkit::CGFloat NSFontWeightMedium = 0.23; // AppKit's value at run time
void* _NSConcreteStackBlock[32];

void* objc_autoreleasePoolPush(void) {
    auto& pools = tarvo::appkit::doubles::world().pools;
    pools.emplace_back();
    return reinterpret_cast<void*>(pools.size());
}

void objc_autoreleasePoolPop(void* pool) {
    auto& pools = tarvo::appkit::doubles::world().pools;
    if (reinterpret_cast<std::size_t>(pool) != pools.size()) {
        tarvo::appkit::doubles::fail("autorelease pools popped out of order");
    }
    const std::vector<id> pooled = std::move(pools.back());
    pools.pop_back();
    std::for_each(pooled.begin(), pooled.end(), tarvo::appkit::doubles::release);
}

// Read by LeakSanitizer: the runtime's own bookkeeping (its classes, the methods added to them)
// comes from objc_malloc and is never freed; the doubles' instances come from objc_calloc.
const char* __lsan_default_suppressions() {
    return "leak:objc_malloc\n";
}
}

namespace tarvo::appkit::doubles {

namespace {

// A block as the Block ABI lays it out, with the copy and dispose helpers and the signature that
// the timer's block must have.
struct BlockDescriptor {
    std::size_t reserved, size;
    void (*copy)(void* destination, const void* source);
    void (*dispose)(const void* block);
    const char* signature;
};

struct BlockLayout {
    void* isa;
    int flags, reserved;
    void (*invoke)(void* block, id argument); // its own literal type, which only its maker knows
    const BlockDescriptor* descriptor;
};

// A heap copy of the stack block, as Block_copy makes it; the dispose helper runs when it goes.
std::shared_ptr<void> copyBlock(const void* literal, const std::string& signature) {
    const auto* block = static_cast<const BlockLayout*>(literal);
    const int needed = 1 << 25 | 1 << 30; // has copy and dispose helpers, has a signature
    if (block == nullptr || block->isa != _NSConcreteStackBlock ||
        (block->flags & needed) != needed) {
        fail("not a stack block with copy helpers and a signature");
    }
    const BlockDescriptor* descriptor = block->descriptor;
    if (!sameSignature(signature, descriptor->signature)) {
        fail("a block of the type " + std::string(descriptor->signature) + " where " + signature +
             " is expected");
    }
    void* copy = std::memcpy(std::malloc(descriptor->size), literal, descriptor->size);
    descriptor->copy(copy, literal);
    return {copy, [descriptor](void* gone) {
                descriptor->dispose(gone);
                std::free(gone);
            }};
}

// Like the block runtime, call the invoke function as taking a plain pointer.
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
void invokeBlock(void* block, id argument) {
    static_cast<BlockLayout*>(block)->invoke(block, argument);
}

double number(const Property& argument) {
    return std::get<double>(argument);
}

const id* objects(const Property& argument) {
    return static_cast<const id*>(std::get<const void*>(argument));
}

Property initWithBytes(id self, const Arguments& arguments) {
    const auto* bytes = static_cast<const char*>(std::get<const void*>(arguments[0]));
    store(self, "text", std::string(bytes, static_cast<std::size_t>(number(arguments[1]))));
    return self;
}

// An NSArray keeps its objects, an NSDictionary its keys and objects in turn; each is named
// after its contents: "[a, b]", "{key: value}".
Property collection(id cls, const id* values, const id* keys, double count) {
    std::string name;
    const id made = make(reinterpret_cast<Class>(cls));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        if (keys != nullptr) {
            add(made, keys[i]);
            name += (i == 0 ? "" : ", ") + describeObject(keys[i]) + ": ";
        }
        add(made, values[i]);
        name += (i == 0 || keys != nullptr ? "" : ", ") + describeObject(values[i]);
    }
    instance(made).name = keys == nullptr ? '[' + name + ']' : '{' + name + '}';
    return autorelease(made);
}

// The event loop's first event, the end of launching; the tests bring the later ones.
Property run(id self, const Arguments&) {
    void* pool = objc_autoreleasePoolPush();
    send<void, id>(property<id>(self, "delegate"),
                   sel_registerName("applicationDidFinishLaunching:"), nil);
    objc_autoreleasePoolPop(pool);
    return {};
}

Property statusItemWithLength(id, const Arguments& arguments) {
    const id item = world().statusItem = make(classNamed("NSStatusItem"));
    store(item, "length", arguments[0]);
    store(item, "button",
          world().statusItemsHaveButton ? make(classNamed("NSStatusBarButton")) : nil);
    if (property<id>(item, "button") != nil) {
        release(property<id>(item, "button"));
    }
    return autorelease(item);
}

// The run loop keeps a scheduled timer (as an item) until it is invalidated. It fires on the
// simulated main loop's clock, but not while a menu is open unless it is in the common modes.
Property scheduledTimer(id self, const Arguments& arguments) {
    const id timer = make(reinterpret_cast<Class>(self));
    instance(timer).block = copyBlock(std::get<const void*>(arguments[2]), "v@?@");
    add(world().mainRunLoop, timer);
    const auto fire = [timer] {
        if (!world().isTrackingMenu || property<bool>(timer, "NSRunLoopCommonModes")) {
            const std::shared_ptr<void> block = instance(timer).block;
            void* pool = objc_autoreleasePoolPush();
            invokeBlock(block.get(), timer);
            objc_autoreleasePoolPop(pool);
        }
    };
    const double interval = number(arguments[0]);
    store(timer, "loopTimer",
          static_cast<double>(simulated::mainLoop().addTimer(
              interval, std::get<bool>(arguments[1]) ? interval : 0.0, fire)));
    return autorelease(timer);
}

Property invalidate(id self, const Arguments&) {
    simulated::mainLoop().cancelTimer(
        static_cast<simulated::ManualLoop::TimerId>(property<double>(self, "loopTimer")));
    instance(self).block.reset();
    return {};
}

Property addTimer(id, const Arguments& arguments) {
    store(std::get<id>(arguments[0]), describeObject(std::get<id>(arguments[1])), true);
    return {};
}

// Every font sets a character (code point) half its size wide; its line is 1.25 sizes high.
Property font(id self, const Arguments& arguments) {
    const double size = number(arguments[0]);
    const id made = make(reinterpret_cast<Class>(self),
                         "font(" + describe(size) + ", " + describe(arguments[1]) + ')');
    instance(made).properties = {
        {"pointSize", size}, {"ascender", size}, {"descender", -0.25 * size}};
    return autorelease(made);
}

Property sizeWithAttributes(id self, const Arguments& arguments) {
    const std::vector<id>& attributes = instance(std::get<id>(arguments[0])).items;
    const auto font = std::find(attributes.begin(), attributes.end(), NSFontAttributeName);
    const double size = font == attributes.end() ? 12.0 : property<double>(font[1], "pointSize");
    const std::string text = property<std::string>(self, "text");
    const auto codePoints = std::count_if(text.begin(), text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    });
    return std::vector<double>{static_cast<double>(codePoints) * size / 2.0, 1.25 * size};
}

} // namespace

const std::map<std::string, Behaviour>& behaviours() {
    static const std::map<std::string, Behaviour> all{
        {"alloc",
         [](id self, const Arguments&) -> Property { return make(reinterpret_cast<Class>(self)); }},
        {"retain", [](id self, const Arguments&) -> Property { return retain(self); }},
        {"release",
         [](id self, const Arguments&) -> Property { return release(self), Property(); }},
        {"initWithBytes:length:encoding:", initWithBytes},
        {"arrayWithObjects:count:",
         [](id self, const Arguments& given) {
             return collection(self, objects(given[0]), nullptr, number(given[1]));
         }},
        {"dictionaryWithObjects:forKeys:count:",
         [](id self, const Arguments& given) {
             return collection(self, objects(given[0]), objects(given[1]), number(given[2]));
         }},
        {"run", run},
        {"statusItemWithLength:", statusItemWithLength},
        {"scheduledTimerWithTimeInterval:repeats:block:", scheduledTimer},
        {"invalidate", invalidate},
        {"addTimer:forMode:", addTimer},
        {"monospacedDigitSystemFontOfSize:weight:", font},
        {"sizeWithAttributes:", sizeWithAttributes},
    };
    return all;
}

} // namespace tarvo::appkit::doubles
