#include "platform/CustomView.h"
#include "platform/macos/Foundation.h"
#include "platform/macos/LinkedClass.h"
#include "platform/macos/Objects.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

namespace tarvo::platform {

namespace {

using appkit::CGPoint;
using appkit::CGRect;
using appkit::CGSize;
using appkit::objectOf;
using appkit::send;
using appkit::sendSuper;

const appkit::LinkedClass& viewClass();

const ViewCallbacks* callbacksOf(id view) {
    return viewClass().counterpartOf<const ViewCallbacks>(view);
}

// The C++ view links itself once the native one is initialised.
id initWithFrame(id self, SEL selector, CGRect frame) {
    viewClass().link(self, nullptr);
    return sendSuper<id, CGRect>(self, appkit::classes().nsView, selector, frame);
}

id initWithCoder(id self, SEL selector, id coder) {
    viewClass().link(self, nullptr);
    return sendSuper<id, id>(self, appkit::classes().nsView, selector, coder);
}

void drawRect(id self, SEL, CGRect dirtyRect) {
    const ViewCallbacks* callbacks = callbacksOf(self);
    if (callbacks != nullptr && callbacks->draw) {
        callbacks->draw(appkit::toRect(dirtyRect));
    }
}

id hitTest(id self, SEL, CGPoint point) {
    const ViewCallbacks* callbacks = callbacksOf(self);
    if (callbacks == nullptr || !callbacks->hitTest) {
        return nil;
    }
    const CustomView* hit = callbacks->hitTest({point.x, point.y});
    return hit == nullptr ? nil : objectOf(hit->object());
}

CGSize intrinsicContentSize(id self, SEL selector) {
    const ViewCallbacks* callbacks = callbacksOf(self);
    if (callbacks == nullptr || !callbacks->intrinsicContentSize) {
        return sendSuper<CGSize>(self, appkit::classes().nsView, selector);
    }
    const Size size = callbacks->intrinsicContentSize();
    return {size.width, size.height};
}

const appkit::LinkedClass& viewClass() {
    static const appkit::LinkedClass registered(
        "TarvoCustomView", appkit::classes().nsView, [](Class cls) {
            const appkit::Selectors& s = appkit::selectors();
            const Class view = appkit::classes().nsView;
            appkit::addOverride(cls, view, s.initWithFrame, initWithFrame);
            appkit::addOverride(cls, view, s.initWithCoder, initWithCoder);
            appkit::addOverride(cls, view, s.drawRect, drawRect);
            appkit::addOverride(cls, view, s.hitTest, hitTest);
            appkit::addOverride(cls, view, s.intrinsicContentSize, intrinsicContentSize);
        });
    return registered;
}

} // namespace

CustomView::CustomView(ViewCallbacks callbacks) : callbacks(std::move(callbacks)) {
    const appkit::LinkedClass& cls = viewClass();
    const id view = send<id>(cls.get(), appkit::selectors().alloc);
    const id initialised =
        send<id, CGRect>(view, appkit::selectors().initWithFrame, CGRect{{0.0, 0.0}, {0.0, 0.0}});
    cls.link(initialised, &this->callbacks);
    native = ObjectRef::adopt(initialised);
}

CustomView::~CustomView() {
    viewClass().link(objectOf(native), nullptr);
}

Rect CustomView::bounds() const {
    return appkit::toRect(send<CGRect>(objectOf(native), appkit::selectors().bounds));
}

void CustomView::setNeedsDisplay(bool needsDisplay) {
    send<void, BOOL>(objectOf(native), appkit::selectors().setNeedsDisplay, needsDisplay);
}

void CustomView::setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
    send<void, BOOL>(objectOf(native),
                     appkit::selectors().setTranslatesAutoresizingMaskIntoConstraints, translates);
}

} // namespace tarvo::platform
