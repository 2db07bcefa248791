#pragma once

#include <objc/runtime.h>
#include <string_view>

// Blocks as Apple's block runtime keeps and calls them (the Block ABI), for the doubles that take
// one.
namespace tarvo::appkit::doubles {

// A heap copy of a block, as Block_copy makes it: the block's copy helper runs on the copy, its
// dispose helper when the copy goes.
class HeapBlock {
public:
    HeapBlock() = default;
    // Fails the test unless `literal` is a stack block with the type `signature` (offsets and
    // class names aside).
    static HeapBlock copy(const void* literal, std::string_view signature);

    HeapBlock(HeapBlock&& other) noexcept;
    HeapBlock& operator=(HeapBlock&& other) noexcept;
    ~HeapBlock();

    explicit operator bool() const { return block != nullptr; }

    // Calls a block that takes one object.
    void invoke(id argument) const;

private:
    explicit HeapBlock(void* block) : block(block) {}
    void dispose();

    void* block = nullptr;
};

} // namespace tarvo::appkit::doubles
