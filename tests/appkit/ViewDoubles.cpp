#include "appkit/Install.h"
#include "appkit/World.h"

#include <algorithm>

// Views, the status item's button, layout anchors and constraints, and drawing strings.
namespace tarvo::appkit::doubles {

namespace {

id initWithFrame(id self, SEL, CGRect frame) {
    world().state<ViewState>(self).frame = frame;
    return self;
}

id initWithCoder(id self, SEL, id) {
    return self;
}

void addSubview(id self, SEL, id view) {
    ViewState& subview = world().state<ViewState>(view);
    if (subview.superview != nil) {
        fail(describeObject(view) + " already has a superview");
    }
    subview.superview = self;
    world().state<ViewState>(self).subviews.emplace_back(view);
}

CGRect bounds(id self, SEL) {
    return {{0.0, 0.0}, world().state<ViewState>(self).frame.size};
}

void setNeedsDisplay(id self, SEL, BOOL needsDisplay) {
    world().state<ViewState>(self).needsDisplay = needsDisplay != NO;
}

void drawRect(id, SEL, CGRect) {}

id hitTest(id self, SEL, CGPoint) {
    return self;
}

// NSViewNoIntrinsicMetric both ways.
CGSize intrinsicContentSize(id, SEL) {
    return {-1.0, -1.0};
}

void setTranslatesAutoresizingMaskIntoConstraints(id self, SEL, BOOL translates) {
    world().state<ViewState>(self).translatesAutoresizingMaskIntoConstraints = translates != NO;
}

id anchor(id view, const char* edge, const char* axisClass) {
    World& current = world();
    const id made = current.create(classNamed(axisClass), AnchorState{view, edge});
    current.record(made).name = describeObject(view) + '.' + edge + "Anchor";
    return current.autorelease(made);
}

id leadingAnchor(id self, SEL) {
    return anchor(self, "leading", "NSLayoutXAxisAnchor");
}

id trailingAnchor(id self, SEL) {
    return anchor(self, "trailing", "NSLayoutXAxisAnchor");
}

id topAnchor(id self, SEL) {
    return anchor(self, "top", "NSLayoutYAxisAnchor");
}

id bottomAnchor(id self, SEL) {
    return anchor(self, "bottom", "NSLayoutYAxisAnchor");
}

void setButtonTitle(id self, SEL, id title) {
    world().state<ViewState>(self).title = Strong(title);
}

void setImage(id self, SEL, id image) {
    world().state<ViewState>(self).image = Strong(image);
}

id constraintEqualToAnchor(id self, SEL, id other) {
    if (object_getClass(self) != object_getClass(other)) {
        fail("a constraint between anchors of two axes");
    }
    World& current = world();
    const id constraint = current.create(classNamed("NSLayoutConstraint"),
                                         ConstraintState{current.state<AnchorState>(self),
                                                         current.state<AnchorState>(other), false});
    return current.autorelease(constraint);
}

bool isAncestor(id ancestor, id view) {
    for (id current = view; current != nil; current = world().state<ViewState>(current).superview) {
        if (current == ancestor) {
            return true;
        }
    }
    return false;
}

// Each constraint goes to the view of the two that contains the other, as AppKit installs it.
void activateConstraints(id, SEL, id constraints) {
    for (const Strong& held : world().state<ArrayState>(constraints).items) {
        ConstraintState& constraint = world().state<ConstraintState>(held.get());
        const id first = constraint.first.view;
        const id second = constraint.second.view;
        const id holder = isAncestor(second, first)   ? second
                          : isAncestor(first, second) ? first
                                                      : nil;
        if (holder == nil) {
            fail("activating " + describeObject(held.get()) + ": no common ancestor");
        }
        constraint.isActive = true;
        world().state<ViewState>(holder).constraints.push_back(held);
    }
}

CGFloat fontSize(id attributes) {
    for (const auto& [key, value] : world().state<DictionaryState>(attributes).entries) {
        if (key.get() == NSFontAttributeName) {
            return world().state<FontState>(value.get()).size;
        }
    }
    return 12.0; // AppKit's default font
}

double codePoints(const std::string& text) {
    return static_cast<double>(std::count_if(text.begin(), text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    }));
}

CGSize sizeWithAttributes(id self, SEL, id attributes) {
    const CGFloat size = fontSize(attributes);
    return {codePoints(world().state<StringState>(self).text) * size / 2.0, 1.25 * size};
}

void drawInRect(id self, SEL, CGRect rect, id attributes) {
    World& current = world();
    if (current.drawingView == nil) {
        fail("drawing a string outside drawRect:");
    }
    current.drawn.push_back(
        {current.state<StringState>(self).text, toRect(rect), describeObject(attributes)});
}

} // namespace

void answerViews() {
    const Class view = classNamed("NSView");
    answer(view, "initWithFrame:", initWithFrame);
    answer(view, "initWithCoder:", initWithCoder);
    answer(view, "addSubview:", addSubview);
    answer(view, "bounds", bounds);
    answer(view, "setNeedsDisplay:", setNeedsDisplay);
    answer(view, "drawRect:", drawRect);
    answer(view, "hitTest:", hitTest);
    answer(view, "intrinsicContentSize", intrinsicContentSize);
    answer(view, "setTranslatesAutoresizingMaskIntoConstraints:",
           setTranslatesAutoresizingMaskIntoConstraints);
    answer(view, "leadingAnchor", leadingAnchor);
    answer(view, "trailingAnchor", trailingAnchor);
    answer(view, "topAnchor", topAnchor);
    answer(view, "bottomAnchor", bottomAnchor);

    const Class button = classNamed("NSButton");
    answer(button, "setTitle:", setButtonTitle);
    answer(button, "setImage:", setImage);

    answer(classNamed("NSLayoutAnchor"), "constraintEqualToAnchor:", constraintEqualToAnchor);
    answer(metaclassOf(classNamed("NSLayoutConstraint")),
           "activateConstraints:", activateConstraints);

    const Class string = classNamed("NSString");
    answer(string, "sizeWithAttributes:", sizeWithAttributes);
    answer(string, "drawInRect:withAttributes:", drawInRect);
}

} // namespace tarvo::appkit::doubles
