#pragma once

#include <objc/message.h>
#include <objc/runtime.h>

#include <type_traits>

// The binding's one way to send a message: objc_msgSend called through the method's exact C
// signature, receiver and selector first. Every argument type is named at the call site
// (send<Result, Arguments...>), since a wrong type is silently a wrong call. arm64 needs no
// struct-return variant: CGRect and CGSize come back in registers.
namespace tarvo::appkit {

template <typename Result, typename... Arguments>
Result send(id receiver, SEL selector, std::type_identity_t<Arguments>... arguments) {
    using Method = Result (*)(id, SEL, Arguments...);
    return reinterpret_cast<Method>(objc_msgSend)(receiver, selector, arguments...);
}

template <typename Result, typename... Arguments>
Result send(Class receiver, SEL selector, std::type_identity_t<Arguments>... arguments) {
    return send<Result, Arguments...>(reinterpret_cast<id>(receiver), selector, arguments...);
}

// The same message handled by `superclass`'s method, for methods that override it.
template <typename Result, typename... Arguments>
Result sendSuper(id receiver, Class superclass, SEL selector,
                 std::type_identity_t<Arguments>... arguments) {
    objc_super target{receiver, superclass};
    using Method = Result (*)(objc_super*, SEL, Arguments...);
    return reinterpret_cast<Method>(objc_msgSendSuper)(&target, selector, arguments...);
}

} // namespace tarvo::appkit
