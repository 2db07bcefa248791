#include "appkit/MessageCheck.h"
#include "platform/simulated/ManualLoop.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

// What properties cannot do: memory, strings and collections, the status item, timers and their
// blocks, fonts and text measuring. Beyond the runtime, the binding links against the frameworks'
// constants, the autorelease pools and the stack block class. A constant string is made of its
// class; the world keeps the rest.
extern "C" {
id const NSRunLoopCommonModes = reinterpret_cast<id>(new Class());
id NSFontAttributeName = reinterpret_cast<id>(new Class());
id NSForegroundColorAttributeName = reinterpret_cast<id>(new Class());
id NSParagraphStyleAttributeName = reinterpret_cast<id>(new Class());
const tarvo::appkit::CGFloat NSFontWeightMedium = 0.23; // AppKit's value at run time
void* _NSConcreteStackBlock[32];

void* objc_autoreleasePoolPush(void) {
    tarvo::appkit::doubles::world().pools.emplace_back();
    return nullptr;
}

void objc_autoreleasePoolPop(void*) {
    auto& pools = tarvo::appkit::doubles::world().pools;
    const std::vector<id> pooled = std::move(pools.back()); // the last pushed
    pools.pop_back();
    std::for_each(pooled.begin(), pooled.end(), tarvo::appkit::doubles::release);
}

// Read by LeakSanitizer: the runtime's own bookkeeping (its classes, the methods added to them)
// comes from objc_malloc and is never freed; the doubles' instances come from objc_calloc.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the sanitizer's name.
const char* __lsan_default_suppressions() {
    return "leak:objc_malloc\n";
}
}

namespace tarvo::appkit::doubles {

namespace {

// A block as the Block ABI lays it out, with the copy and dispose helpers and the signature that
// the timer's block must have.
struct BlockLayout {
    void* isa;
    int flags, reserved;
    void (*invoke)(void* block, id argument); // its own literal type, which only its maker knows
    struct {
        std::size_t reserved, size;
        void (*copy)(void* destination, const void* source);
        void (*dispose)(const void* block);
        const char* signature;
    } const* descriptor;
};

// A heap copy of the stack block, as Block_copy makes it; the dispose helper runs when it goes.
std::shared_ptr<void> copyBlock(const void* literal, const std::string& signature) {
    const auto* block = static_cast<const BlockLayout*>(literal);
    const int needed = 1 << 25 | 1 << 30; // has copy and dispose helpers, has a signature
    require(block->isa == _NSConcreteStackBlock && (block->flags & needed) == needed &&
                sameSignature(signature, block->descriptor->signature),
            "not a stack block of the type " + signature);
    const auto* descriptor = block->descriptor;
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

// An array keeps its objects as properties "0", "1"..., a dictionary each value as the property its
// key names. Each is named after its contents: "[a, b]", "{key: value}".
id collection(id cls, SEL, const id* values, const id* keys, NSUInteger count) {
    const id made = make(reinterpret_cast<Class>(cls));
    std::string name;
    for (NSUInteger i = 0; i < count; ++i) {
        const std::string key = keys == nullptr ? "" : describeObject(keys[i]);
        store(made, key.empty() ? std::to_string(i) : key, values[i]);
        name += (i == 0 ? "" : ", ") + (key.empty() ? "" : key + ": ") + describeObject(values[i]);
    }
    instance(made).name = keys == nullptr ? '[' + name + ']' : '{' + name + '}';
    return autorelease(made);
}

// A scheduled timer fires on the simulated main loop's clock, but not while a menu is open unless
// it is in the common modes. (The run loop keeps no timer here: the program keeps its own.)
id scheduledTimer(id cls, SEL, double interval, BOOL repeats, const void* block) {
    const id timer = make(reinterpret_cast<Class>(cls));
    store(timer, "block", copyBlock(block, "v@?@"));
    const auto fire = [timer] {
        if (!world().isTrackingMenu || property<id>(timer, "mode") == NSRunLoopCommonModes) {
            void* pool = objc_autoreleasePoolPush();
            invokeBlock(property<std::shared_ptr<void>>(timer, "block").get(), timer);
            objc_autoreleasePoolPop(pool);
        }
    };
    store(timer, "loopTimer",
          simulated::mainLoop().addTimer(interval, repeats != NO ? interval : 0.0, fire));
    return autorelease(timer);
}

// Every font sets a character (code point) half its size wide; its line is 1.25 sizes high.
CGSize sizeWithAttributes(id self, SEL, id attributes) {
    const id font = property<id>(attributes, "NSFontAttributeName"); // unknown if nil
    const std::string text = property<std::string>(self, "text");
    const auto codePoints = std::count_if(text.begin(), text.end(),
                                          [](unsigned char byte) { return (byte & 0xC0) != 0x80; });
    const double size = property<double>(font, "ascender");
    return {static_cast<double>(codePoints) * size / 2.0, 1.25 * size};
}

template <typename Result, typename... Arguments>
std::pair<std::string, IMP> typed(Result (*body)(id, SEL, Arguments...)) {
    return {messageEncoding<Result, Arguments...>(), reinterpret_cast<IMP>(body)};
}

} // namespace

const std::map<std::string, std::pair<std::string, IMP>>& behaviours() {
    static const std::map<std::string, std::pair<std::string, IMP>> all{
        {"alloc", typed(+[](id cls, SEL) { return make(reinterpret_cast<Class>(cls)); })},
        {"retain", typed(+[](id self, SEL) { return retain(self); })},
        {"release", typed(+[](id self, SEL) { release(self); })},
        // The title and key equivalent show in the log.
        {"initWithTitle:action:keyEquivalent:", typed(+[](id self, SEL, id, SEL action, id) {
             store(self, "action", action);
             return self;
         })},
        {"initWithBytes:length:encoding:",
         typed(+[](id self, SEL, const void* bytes, NSUInteger length, NSUInteger) {
             store(self, "text", std::string(static_cast<const char*>(bytes), length));
             return self;
         })},
        {"arrayWithObjects:count:", typed(+[](id cls, SEL, const id* objects, NSUInteger count) {
             return collection(cls, nullptr, objects, nullptr, count);
         })},
        {"dictionaryWithObjects:forKeys:count:", typed(collection)},
        // The last item made is the test's to find.
        {"statusItemWithLength:", typed(+[](id, SEL, CGFloat) {
             return autorelease(world().statusItem = make(objc_getClass("NSStatusItem")));
         })},
        {"scheduledTimerWithTimeInterval:repeats:block:", typed(scheduledTimer)},
        {"invalidate", typed(+[](id self, SEL) {
             simulated::mainLoop().cancelTimer(property<std::uint64_t>(self, "loopTimer"));
             instance(self).properties.erase("block");
         })},
        {"addTimer:forMode:", // the mode it fires in
         typed(+[](id, SEL, id timer, id mode) { store(timer, "mode", mode); })},
        // Every font's ascender is its size, its descender a quarter of it below.
        {"monospacedDigitSystemFontOfSize:weight:",
         typed(+[](id cls, SEL, CGFloat size, CGFloat weight) {
             const id font = make(reinterpret_cast<Class>(cls),
                                  "font(" + describe(size) + ", " + describe(weight) + ')');
             instance(font).properties = {{"ascender", size}, {"descender", -0.25 * size}};
             return autorelease(font);
         })},
        {"sizeWithAttributes:", typed(sizeWithAttributes)},
    };
    return all;
}

} // namespace tarvo::appkit::doubles
