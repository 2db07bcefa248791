#pragma once

#include <objc/runtime.h>

namespace tarvo::appkit {

// Every selector the binding sends or implements, registered once, at first use.
struct Selectors {
    SEL alloc = sel_registerName("alloc");
    SEL init = sel_registerName("init");
    SEL retain = sel_registerName("retain");
    SEL release = sel_registerName("release");

    SEL sharedApplication = sel_registerName("sharedApplication");
    SEL setDelegate = sel_registerName("setDelegate:");
    SEL run = sel_registerName("run");
    SEL setActivationPolicy = sel_registerName("setActivationPolicy:");
    SEL terminate = sel_registerName("terminate:");
    SEL applicationDidFinishLaunching = sel_registerName("applicationDidFinishLaunching:");
    SEL refreshNow = sel_registerName("refreshNow");
    SEL quit = sel_registerName("quit");
    SEL processInfo = sel_registerName("processInfo");
    SEL beginActivityWithOptionsReason = sel_registerName("beginActivityWithOptions:reason:");

    SEL systemStatusBar = sel_registerName("systemStatusBar");
    SEL statusItemWithLength = sel_registerName("statusItemWithLength:");
    SEL button = sel_registerName("button");
    SEL setLength = sel_registerName("setLength:");
    SEL setMenu = sel_registerName("setMenu:");
    SEL setTitle = sel_registerName("setTitle:");
    SEL setImage = sel_registerName("setImage:");
    SEL setAccessibilityLabel = sel_registerName("setAccessibilityLabel:");
    SEL addSubview = sel_registerName("addSubview:");

    SEL initWithFrame = sel_registerName("initWithFrame:");
    SEL initWithCoder = sel_registerName("initWithCoder:");
    SEL drawRect = sel_registerName("drawRect:");
    SEL hitTest = sel_registerName("hitTest:");
    SEL intrinsicContentSize = sel_registerName("intrinsicContentSize");
    SEL bounds = sel_registerName("bounds");
    SEL setNeedsDisplay = sel_registerName("setNeedsDisplay:");
    SEL setTranslatesAutoresizingMaskIntoConstraints =
        sel_registerName("setTranslatesAutoresizingMaskIntoConstraints:");
    SEL leadingAnchor = sel_registerName("leadingAnchor");
    SEL trailingAnchor = sel_registerName("trailingAnchor");
    SEL topAnchor = sel_registerName("topAnchor");
    SEL bottomAnchor = sel_registerName("bottomAnchor");
    SEL constraintEqualToAnchor = sel_registerName("constraintEqualToAnchor:");
    SEL activateConstraints = sel_registerName("activateConstraints:");
    SEL arrayWithObjectsCount = sel_registerName("arrayWithObjects:count:");

    SEL addItem = sel_registerName("addItem:");
    SEL initWithTitleActionKeyEquivalent = sel_registerName("initWithTitle:action:keyEquivalent:");
    SEL separatorItem = sel_registerName("separatorItem");
    SEL setEnabled = sel_registerName("setEnabled:");
    SEL setHidden = sel_registerName("setHidden:");
    SEL setTarget = sel_registerName("setTarget:");

    SEL scheduledTimerWithTimeIntervalRepeatsBlock =
        sel_registerName("scheduledTimerWithTimeInterval:repeats:block:");
    SEL invalidate = sel_registerName("invalidate");
    SEL mainRunLoop = sel_registerName("mainRunLoop");
    SEL addTimerForMode = sel_registerName("addTimer:forMode:");

    SEL monospacedDigitSystemFontOfSizeWeight =
        sel_registerName("monospacedDigitSystemFontOfSize:weight:");
    SEL ascender = sel_registerName("ascender");
    SEL descender = sel_registerName("descender");
    SEL leading = sel_registerName("leading");
    SEL labelColor = sel_registerName("labelColor");
    SEL setLineBreakMode = sel_registerName("setLineBreakMode:");
    SEL setAlignment = sel_registerName("setAlignment:");
    SEL dictionaryWithObjectsForKeysCount =
        sel_registerName("dictionaryWithObjects:forKeys:count:");
    SEL initWithBytesLengthEncoding = sel_registerName("initWithBytes:length:encoding:");
    SEL sizeWithAttributes = sel_registerName("sizeWithAttributes:");
    SEL drawInRectWithAttributes = sel_registerName("drawInRect:withAttributes:");
};

const Selectors& selectors();

// The classes the binding uses, looked up once, at first use.
struct Classes {
    Class nsObject = objc_getClass("NSObject");
    Class nsString = objc_getClass("NSString");
    Class nsArray = objc_getClass("NSArray");
    Class nsDictionary = objc_getClass("NSDictionary");
    Class nsApplication = objc_getClass("NSApplication");
    Class nsProcessInfo = objc_getClass("NSProcessInfo");
    Class nsStatusBar = objc_getClass("NSStatusBar");
    Class nsView = objc_getClass("NSView");
    Class nsLayoutConstraint = objc_getClass("NSLayoutConstraint");
    Class nsMenu = objc_getClass("NSMenu");
    Class nsMenuItem = objc_getClass("NSMenuItem");
    Class nsTimer = objc_getClass("NSTimer");
    Class nsRunLoop = objc_getClass("NSRunLoop");
    Class nsFont = objc_getClass("NSFont");
    Class nsColor = objc_getClass("NSColor");
    Class nsMutableParagraphStyle = objc_getClass("NSMutableParagraphStyle");
};

const Classes& classes();

} // namespace tarvo::appkit
