#include "platform/Layout.h"
#include "platform/macos/Foundation.h"
#include "platform/macos/Objects.h"
#include "platform/macos/Runtime.h"
#include "platform/macos/Selectors.h"

#include <vector>

namespace tarvo::platform {

namespace {

using appkit::objectOf;
using appkit::send;

SEL anchorSelector(LayoutEdge edge) {
    const appkit::Selectors& s = appkit::selectors();
    switch (edge) {
    case LayoutEdge::leading:
        return s.leadingAnchor;
    case LayoutEdge::trailing:
        return s.trailingAnchor;
    case LayoutEdge::top:
        return s.topAnchor;
    case LayoutEdge::bottom:
        return s.bottomAnchor;
    }
    return s.leadingAnchor;
}

} // namespace

LayoutConstraint LayoutAnchor::constraintEqualToAnchor(const LayoutAnchor& other) const {
    const id mine = send<id>(objectOf(view), anchorSelector(edge));
    const id theirs = send<id>(objectOf(other.view), anchorSelector(other.edge));
    return LayoutConstraint(
        ObjectRef::retain(send<id, id>(mine, appkit::selectors().constraintEqualToAnchor, theirs)));
}

void LayoutConstraint::activate(std::initializer_list<LayoutConstraint> constraints) {
    std::vector<id> objects;
    objects.reserve(constraints.size());
    for (const LayoutConstraint& constraint : constraints) {
        objects.push_back(objectOf(constraint.object()));
    }
    const appkit::Selectors& s = appkit::selectors();
    const id array = send<id, const id*, appkit::NSUInteger>(
        appkit::classes().nsArray, s.arrayWithObjectsCount, objects.data(), objects.size());
    send<void, id>(appkit::classes().nsLayoutConstraint, s.activateConstraints, array);
}

} // namespace tarvo::platform
