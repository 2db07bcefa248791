#include "appkit/Blocks.h"
#include "appkit/Declarations.h"
#include "appkit/World.h"
#include "platform/macos/Foundation.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace tarvo::appkit::doubles {

namespace {

// The Block ABI's layout: a block starts with these fields; its descriptor with the first two,
// then the copy and dispose helpers when the block has them, then the signature.
struct BlockLayout {
    void* isa;
    int flags;
    int reserved;
    void* invoke;
    const void* descriptor;
};

struct Descriptor {
    unsigned long reserved;
    unsigned long size;
};

struct HelpersDescriptor {
    Descriptor base;
    void (*copy)(void* destination, const void* source);
    void (*dispose)(const void* block);
    const char* signature;
};

struct SignatureDescriptor {
    Descriptor base;
    const char* signature;
};

constexpr int needsFree = 1 << 24;
constexpr int hasCopyDispose = 1 << 25;
constexpr int hasSignature = 1 << 30;
constexpr int referenceCountMask = 0xfffe;

// The class of a block copied to the heap.
void* mallocBlockClass[32];

const BlockLayout& layoutOf(const void* block) {
    return *static_cast<const BlockLayout*>(block);
}

const HelpersDescriptor* helpersOf(const void* block) {
    const BlockLayout& layout = layoutOf(block);
    return (layout.flags & hasCopyDispose) != 0
               ? static_cast<const HelpersDescriptor*>(layout.descriptor)
               : nullptr;
}

const char* signatureOf(const void* block) {
    if ((layoutOf(block).flags & hasSignature) == 0) {
        return nullptr;
    }
    const HelpersDescriptor* helpers = helpersOf(block);
    return helpers != nullptr
               ? helpers->signature
               : static_cast<const SignatureDescriptor*>(layoutOf(block).descriptor)->signature;
}

} // namespace

HeapBlock HeapBlock::copy(const void* literal, std::string_view signature) {
    if (literal == nullptr || layoutOf(literal).isa != _NSConcreteStackBlock) {
        fail("not a stack block");
    }
    const char* declared = signatureOf(literal);
    if (declared == nullptr || !sameSignature(signature, declared)) {
        fail("a block of the type " + std::string(declared == nullptr ? "(none)" : declared) +
             " where " + std::string(signature) + " is expected");
    }
    const auto size = static_cast<const Descriptor*>(layoutOf(literal).descriptor)->size;
    void* copied = std::malloc(size);
    std::memmove(copied, literal, size);
    auto* layout = static_cast<BlockLayout*>(copied);
    layout->isa = mallocBlockClass;
    layout->flags = (layout->flags & ~referenceCountMask) | needsFree | 2;
    if (const HelpersDescriptor* helpers = helpersOf(copied)) {
        helpers->copy(copied, literal);
    }
    return HeapBlock(copied);
}

HeapBlock::HeapBlock(HeapBlock&& other) noexcept : block(std::exchange(other.block, nullptr)) {}

HeapBlock& HeapBlock::operator=(HeapBlock&& other) noexcept {
    if (this != &other) {
        dispose();
        block = std::exchange(other.block, nullptr);
    }
    return *this;
}

HeapBlock::~HeapBlock() {
    dispose();
}

void HeapBlock::dispose() {
    if (block == nullptr) {
        return;
    }
    if (const HelpersDescriptor* helpers = helpersOf(block)) {
        helpers->dispose(block);
    }
    std::free(std::exchange(block, nullptr));
}

// The invoke function's first parameter is the block's own literal type, which only its
// definer knows; like the block runtime, call it as taking a plain pointer.
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
void HeapBlock::invoke(id argument) const {
    reinterpret_cast<void (*)(void*, id)>(layoutOf(block).invoke)(block, argument);
}

} // namespace tarvo::appkit::doubles
