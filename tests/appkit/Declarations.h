#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the macOS 12 SDK headers declare for every selector, class and exported symbol that the
// toolkit binding uses, copied from them by hand: the one source of the signatures that the
// doubles answer with and that the binding's messages are checked against.
namespace tarvo::appkit::doubles {

enum class MethodKind { classMethod, instanceMethod };

struct MethodDeclaration {
    std::string_view owner; // the class or protocol whose header declares it
    MethodKind kind;
    std::string_view selector;
    std::string_view returnType; // as the header spells it
    std::vector<std::string_view> argumentTypes;
    std::string types = {}; // the Objective-C type encoding, without offsets: "v@:d"
};

const std::vector<MethodDeclaration>& declaredMethods();

// The declaration of `selector` in `owner`'s header; none when it has none.
const MethodDeclaration* findDeclaration(std::string_view owner, MethodKind kind,
                                         std::string_view selector);

// A symbol the binding links against: an exported constant or a runtime function.
struct SymbolDeclaration {
    std::string_view name;
    std::string_view declaration; // as the header spells it
    std::string_view header;
};

const std::vector<SymbolDeclaration>& declaredSymbols();

// An enumeration or constant value the binding passes.
struct ValueDeclaration {
    std::string_view name;
    double value;
};

const std::vector<ValueDeclaration>& declaredValues();

// The classes the binding looks up, those of the objects it is handed, and their superclasses.
struct ClassDeclaration {
    std::string_view name;
    std::string_view superclass; // none for the root class
};

// Superclasses first.
const std::vector<ClassDeclaration>& declaredClasses();

// The encoding of a type as a declaration spells it: "CGFloat" is "d".
std::string encodingOfType(std::string_view type);

// Whether a message sent with the C signature `sent` reaches a method declared as `declared`
// correctly: the same types in the same order, regardless of offsets, qualifiers (const,
// oneway) and class names. A block argument takes a plain pointer, the only way C++ passes one.
bool sameSignature(std::string_view declared, std::string_view sent);

} // namespace tarvo::appkit::doubles
