#pragma once

#include <objc/message.h>
#include <objc/runtime.h>

#include <type_traits>

#if defined(__GNU_LIBOBJC__)
#include "appkit/MessageCheck.h"
#endif

// The binding's one way to send a message: objc_msgSend called through the method's exact C
// signature, receiver and selector first. Every argument type is named at the call site
// (send<Result, Arguments...>), since a wrong type is silently a wrong call. arm64 needs no
// struct-return variant: CGRect and CGSize come back in registers.
namespace tarvo::appkit {

#if defined(__GNU_LIBOBJC__)

// The GNU runtime, where the test build runs this binding on doubles of AppKit. It has no
// objc_msgSend: the method is looked up, then called through the same exact signature, once the
// doubles have checked that signature against the one the method was declared with.
template <typename Result, typename... Arguments>
Result send(id receiver, SEL selector, std::type_identity_t<Arguments>... arguments) {
    using Method = Result (*)(id, SEL, Arguments...);
    checkMessage<Result, Arguments...>(receiver, object_getClass(receiver), selector, arguments...);
    return reinterpret_cast<Method>(objc_msg_lookup(receiver, selector))(receiver, selector,
                                                                         arguments...);
}

#else

template <typename Result, typename... Arguments>
Result send(id receiver, SEL selector, std::type_identity_t<Arguments>... arguments) {
    using Method = Result (*)(id, SEL, Arguments...);
    return reinterpret_cast<Method>(objc_msgSend)(receiver, selector, arguments...);
}

#endif

template <typename Result, typename... Arguments>
Result send(Class receiver, SEL selector, std::type_identity_t<Arguments>... arguments) {
    return send<Result, Arguments...>(reinterpret_cast<id>(receiver), selector, arguments...);
}

// The same message handled by `superclass`'s method, for methods that override it.
template <typename Result, typename... Arguments>
Result sendSuper(id receiver, Class superclass, SEL selector,
                 std::type_identity_t<Arguments>... arguments) {
    objc_super target{receiver, superclass};
#if defined(__GNU_LIBOBJC__)
    using Method = Result (*)(id, SEL, Arguments...);
    checkMessage<Result, Arguments...>(receiver, superclass, selector, arguments...);
    return reinterpret_cast<Method>(objc_msg_lookup_super(&target, selector))(receiver, selector,
                                                                              arguments...);
#else
    using Method = Result (*)(objc_super*, SEL, Arguments...);
    return reinterpret_cast<Method>(objc_msgSendSuper)(&target, selector, arguments...);
#endif
}

} // namespace tarvo::appkit
