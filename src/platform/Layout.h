#pragma once

#include "platform/ObjectRef.h"

#include <initializer_list>

namespace tarvo::platform {

enum class LayoutEdge { leading, trailing, top, bottom };

// An equality between two edges of two views (NSLayoutConstraint).
class LayoutConstraint {
public:
    explicit LayoutConstraint(ObjectRef object) : native(std::move(object)) {}

    // Activates all of them together.
    static void activate(std::initializer_list<LayoutConstraint> constraints);

    const ObjectRef& object() const { return native; }

private:
    ObjectRef native;
};

// One edge of a view: its leadingAnchor, trailingAnchor, topAnchor or bottomAnchor.
class LayoutAnchor {
public:
    LayoutAnchor(ObjectRef view, LayoutEdge edge) : view(std::move(view)), edge(edge) {}

    // This edge equal to `other`, with no offset; inactive until activated.
    LayoutConstraint constraintEqualToAnchor(const LayoutAnchor& other) const;

private:
    ObjectRef view;
    LayoutEdge edge;
};

} // namespace tarvo::platform
