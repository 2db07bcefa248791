#pragma once

#include "platform/Geometry.h"
#include "platform/Layout.h"
#include "platform/ObjectRef.h"

#include <functional>

namespace tarvo::platform {

class CustomView;

// What a custom view does when the toolkit asks it, on the main thread.
struct ViewCallbacks {
    // drawRect:, with the view's drawing context current, so drawText() lands in the view.
    std::function<void(Rect dirtyRect)> draw;
    std::function<Size()> intrinsicContentSize;
    // hitTest:; no view lets the click through to the view underneath.
    std::function<const CustomView*(Point point)> hitTest;
};

// A view of the program's own (an NSView subclass registered at run time), drawn by its
// callbacks. The toolkit may keep the native view longer, as a subview: it then draws nothing.
class CustomView {
public:
    // initWithFrame: with the zero rectangle.
    explicit CustomView(ViewCallbacks callbacks);
    ~CustomView();
    CustomView(const CustomView&) = delete;
    CustomView& operator=(const CustomView&) = delete;

    Rect bounds() const;
    // Asks for a draw at the toolkit's next display pass.
    void setNeedsDisplay(bool needsDisplay);
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates);
    LayoutAnchor anchor(LayoutEdge edge) const { return {native, edge}; }

    const ObjectRef& object() const { return native; }

private:
    ViewCallbacks callbacks;
    ObjectRef native;
};

} // namespace tarvo::platform
