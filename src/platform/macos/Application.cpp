#include "platform/Application.h"
#include "platform/macos/Foundation.h"
#include "platform/macos/LinkedClass.h"
#include "platform/macos/Objects.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

namespace tarvo::platform {

namespace {

using appkit::NSActivityOptions;
using appkit::NSInteger;
using appkit::objectOf;
using appkit::send;

using Action = std::function<void()> DelegateActions::*;

const appkit::LinkedClass& delegateClass();

void perform(id delegate, Action action) {
    const DelegateActions* actions = delegateClass().counterpartOf<const DelegateActions>(delegate);
    if (actions != nullptr && actions->*action) {
        (actions->*action)();
    }
}

void applicationDidFinishLaunching(id self, SEL, id) {
    perform(self, &DelegateActions::applicationDidFinishLaunching);
}

void refreshNow(id self, SEL) {
    perform(self, &DelegateActions::refreshNow);
}

void quit(id self, SEL) {
    perform(self, &DelegateActions::quit);
}

const appkit::LinkedClass& delegateClass() {
    static const appkit::LinkedClass registered(
        "TarvoAppDelegate", appkit::classes().nsObject, [](Class cls) {
            const appkit::Selectors& s = appkit::selectors();
            appkit::addMethod(cls, s.applicationDidFinishLaunching, applicationDidFinishLaunching,
                              "v@:@");
            appkit::addMethod(cls, s.refreshNow, refreshNow, "v@:");
            appkit::addMethod(cls, s.quit, quit, "v@:");
            if (Protocol* protocol = objc_getProtocol("NSApplicationDelegate")) {
                class_addProtocol(cls, protocol);
            }
        });
    return registered;
}

} // namespace

ApplicationDelegate::ApplicationDelegate(DelegateActions actions) : actions(std::move(actions)) {
    const appkit::Selectors& s = appkit::selectors();
    const appkit::LinkedClass& cls = delegateClass();
    const id delegate = send<id>(send<id>(cls.get(), s.alloc), s.init);
    cls.link(delegate, &this->actions);
    native = ObjectRef::adopt(delegate);
}

ApplicationDelegate::~ApplicationDelegate() {
    delegateClass().link(objectOf(native), nullptr);
}

Application Application::shared() {
    return Application(ObjectRef::retain(
        send<id>(appkit::classes().nsApplication, appkit::selectors().sharedApplication)));
}

void Application::setDelegate(const ApplicationDelegate& delegate) {
    send<void, id>(objectOf(native), appkit::selectors().setDelegate, objectOf(delegate.object()));
}

void Application::setActivationPolicy(ActivationPolicy policy) {
    send<BOOL, NSInteger>(objectOf(native), appkit::selectors().setActivationPolicy,
                          static_cast<NSInteger>(policy));
}

void Application::run() {
    send<void>(objectOf(native), appkit::selectors().run);
}

void Application::terminate() {
    send<void, id>(objectOf(native), appkit::selectors().terminate, nil);
}

Activity Activity::begin(ActivityOptions options, std::string_view reason) {
    const appkit::Selectors& s = appkit::selectors();
    const id processInfo = send<id>(appkit::classes().nsProcessInfo, s.processInfo);
    const ObjectRef reasonString = appkit::makeString(reason);
    // The activity ends when its token is deallocated: the token is kept.
    return Activity(ObjectRef::retain(send<id, NSActivityOptions, id>(
        processInfo, s.beginActivityWithOptionsReason, static_cast<NSActivityOptions>(options),
        objectOf(reasonString))));
}

} // namespace tarvo::platform
