#include "appkit/Declarations.h"
#include "appkit/MessageCheck.h"
#include "appkit/World.h"

#include <sstream>

// The message log and the check of every message the binding sends.
namespace tarvo::appkit {

using doubles::fail;
using doubles::world;

namespace {

bool isClassObject(id object) {
    return class_isMetaClass(object_getClass(object));
}

std::string describeContents(const doubles::State& state, const std::string& name) {
    if (const auto* string = std::get_if<doubles::StringState>(&state)) {
        return string->isConstant ? string->text : '"' + string->text + '"';
    }
    std::string contents;
    if (const auto* array = std::get_if<doubles::ArrayState>(&state)) {
        for (const doubles::Strong& item : array->items) {
            contents += (contents.empty() ? "" : ", ") + describeObject(item.get());
        }
        return '[' + contents + ']';
    }
    if (const auto* dictionary = std::get_if<doubles::DictionaryState>(&state)) {
        for (const auto& [key, value] : dictionary->entries) {
            contents += (contents.empty() ? "" : ", ") + describeObject(key.get()) + ": " +
                        describeObject(value.get());
        }
        return '{' + contents + '}';
    }
    if (const auto* font = std::get_if<doubles::FontState>(&state)) {
        return "font(" + describeNumber(font->size) + ", " + describeNumber(font->weight) + ')';
    }
    if (const auto* style = std::get_if<doubles::ParagraphStyleState>(&state)) {
        return "paragraphStyle(lineBreakMode " + std::to_string(style->lineBreakMode) +
               ", alignment " + std::to_string(style->alignment) + ')';
    }
    if (const auto* constraint = std::get_if<doubles::ConstraintState>(&state)) {
        return describeObject(constraint->first.view) + '.' + constraint->first.edge +
               " == " + describeObject(constraint->second.view) + '.' + constraint->second.edge;
    }
    return name;
}

} // namespace

std::string describeObject(id object) {
    if (object == nil) {
        return "nil";
    }
    if (isClassObject(object)) {
        return class_getName(reinterpret_cast<Class>(object));
    }
    const doubles::Record* found = world().find(object);
    if (found == nullptr) {
        return "<unknown object>";
    }
    if (found->isDeallocated) {
        return found->name + " (deallocated)";
    }
    return describeContents(found->state, found->name);
}

std::string describeSelector(SEL selector) {
    return selector == nullptr ? "nil" : sel_getName(selector);
}

std::string describeNumber(double number) {
    std::ostringstream text;
    text << number;
    return text.str();
}

std::string describeStruct(const CGPoint& point) {
    return '{' + describeNumber(point.x) + ", " + describeNumber(point.y) + '}';
}

std::string describeStruct(const CGSize& size) {
    return '{' + describeNumber(size.width) + ", " + describeNumber(size.height) + '}';
}

std::string describeStruct(const CGRect& rect) {
    return '{' + describeNumber(rect.origin.x) + ", " + describeNumber(rect.origin.y) + ", " +
           describeNumber(rect.size.width) + ", " + describeNumber(rect.size.height) + '}';
}

void checkMessage(id receiver, Class lookupClass, SEL selector, const std::string& types,
                  std::vector<std::string> arguments) {
    const std::string name = describeSelector(selector);
    const std::string receiverName = describeObject(receiver);
    if (receiver != nil) {
        const doubles::Record* found = isClassObject(receiver) ? nullptr : world().find(receiver);
        if (found != nullptr && found->isDeallocated) {
            fail(name + " sent to " + found->name + ", which is deallocated");
        }
        const Method method = class_getInstanceMethod(lookupClass, selector);
        if (method == nullptr) {
            fail(name + " sent to " + receiverName + ", which has no method for it");
        }
        const std::string declared = method_getTypeEncoding(method);
        if (!doubles::sameSignature(declared, types)) {
            fail(name + " sent to " + receiverName + " as " + types + ", but it is declared " +
                 declared);
        }
        world().checkedSelectors.insert(name);
    }
    const bool toSuper = receiver != nil && lookupClass != object_getClass(receiver);
    world().messages.push_back(
        {toSuper ? "super " + receiverName : receiverName, name, std::move(arguments)});
}

} // namespace tarvo::appkit

namespace tarvo::appkit::doubles {

void PrintTo(const Message& message, std::ostream* out) {
    *out << message.receiver << ' ' << message.selector;
    for (const std::string& argument : message.arguments) {
        *out << " [" << argument << ']';
    }
}

void PrintTo(const DrawnText& drawn, std::ostream* out) {
    *out << '"' << drawn.text << "\" in {" << drawn.rect.x << ", " << drawn.rect.y << ", "
         << drawn.rect.width << ", " << drawn.rect.height << "} with " << drawn.attributes;
}

} // namespace tarvo::appkit::doubles
