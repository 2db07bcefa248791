#include "platform/CustomView.h"
#include "platform/Layout.h"
#include "platform/model/Toolkit.h"

#include <string>

namespace tarvo::platform {

using model::ConstraintNode;
using model::ViewNode;

namespace {

const char* anchorName(LayoutEdge edge) {
    switch (edge) {
    case LayoutEdge::leading:
        return "leadingAnchor";
    case LayoutEdge::trailing:
        return "trailingAnchor";
    case LayoutEdge::top:
        return "topAnchor";
    case LayoutEdge::bottom:
        return "bottomAnchor";
    }
    return "";
}

std::string describeAnchor(const ViewNode& view, LayoutEdge edge) {
    return view.name + "." + anchorName(edge);
}

} // namespace

CustomView::CustomView(ViewCallbacks callbacks) : callbacks(std::move(callbacks)) {
    ViewNode& view = model::create(model::toolkit().views, "view");
    view.callbacks = &this->callbacks;
    view.needsDisplay = true; // never drawn yet
    native = model::refTo(view);
    model::record(view.name, "initWithFrame:", Rect{});
}

CustomView::~CustomView() {
    ViewNode& view = model::nodeOf<ViewNode>(native);
    view.callbacks = nullptr;
    view.drawn.clear();
}

Rect CustomView::bounds() const {
    const ViewNode& view = model::nodeOf<ViewNode>(native);
    model::record(view.name, "bounds");
    return model::boundsOf(view);
}

void CustomView::setNeedsDisplay(bool needsDisplay) {
    ViewNode& view = model::nodeOf<ViewNode>(native);
    view.needsDisplay = needsDisplay;
    model::record(view.name, "setNeedsDisplay:", needsDisplay);
}

void CustomView::setTranslatesAutoresizingMaskIntoConstraints(bool translates) {
    ViewNode& view = model::nodeOf<ViewNode>(native);
    view.translatesAutoresizingMaskIntoConstraints = translates;
    model::record(view.name, "setTranslatesAutoresizingMaskIntoConstraints:", translates);
}

LayoutConstraint LayoutAnchor::constraintEqualToAnchor(const LayoutAnchor& other) const {
    ConstraintNode& constraint = model::create(model::toolkit().constraints, "constraint");
    constraint.view = &model::nodeOf<ViewNode>(view);
    constraint.edge = edge;
    constraint.other = &model::nodeOf<ViewNode>(other.view);
    constraint.otherEdge = other.edge;
    model::record(describeAnchor(*constraint.view, edge),
                  "constraintEqualToAnchor:", describeAnchor(*constraint.other, other.edge));
    return LayoutConstraint(model::refTo(constraint));
}

void LayoutConstraint::activate(std::initializer_list<LayoutConstraint> constraints) {
    std::vector<std::string> names;
    for (const LayoutConstraint& constraint : constraints) {
        ConstraintNode& node = model::nodeOf<ConstraintNode>(constraint.object());
        node.isActive = true;
        names.push_back(node.name);
    }
    model::Toolkit& kit = model::toolkit();
    if (kit.isRecordingCalls) {
        kit.calls.push_back({"NSLayoutConstraint", "activateConstraints:", std::move(names)});
    }
}

} // namespace tarvo::platform
