#pragma once

#include "appkit/MessageCheck.h"

#include <objc/runtime.h>
#include <string>
#include <string_view>

// Registering the doubles with the GNU runtime.
namespace tarvo::appkit::doubles {

class World;

// Registers every double class and its methods, once per process.
void installDoubles();

// The shared objects of a new world: the application, the system status bar, the main run loop,
// the label colour and the exported constants.
void createSharedObjects(World& world);

// A registered class; the test fails when there is none of that name.
Class classNamed(const char* name);

// Where a class's class methods are added.
Class metaclassOf(Class cls);

// Adds `method` to `cls` (a metaclass for a class method) as the double of `selector`, with the
// type encoding of its declaration; fails when the declaration's types are not `cTypes`, the
// types of the C++ function.
void addDouble(Class cls, std::string_view selector, IMP method, const std::string& cTypes);

template <typename Result, typename... Arguments>
void answer(Class cls, std::string_view selector, Result (*method)(id, SEL, Arguments...)) {
    addDouble(cls, selector, reinterpret_cast<IMP>(method),
              messageEncoding<Result, Arguments...>());
}

// The methods of each group of doubles.
void answerFoundation();
void answerAppKit();
void answerViews();

// The exported constants of a new world.
void addConstants(World& world);

} // namespace tarvo::appkit::doubles
