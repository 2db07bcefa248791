#pragma once

#include <utility>

namespace tarvo::platform {

// Add and drop one reference to a toolkit object (an Objective-C object on macOS).
void retainObject(void* object);
void releaseObject(void* object);

// A counted reference to a toolkit object. Copies share the object; the last one gone releases
// it.
class ObjectRef {
public:
    ObjectRef() = default;

    // Takes over a reference the caller already owns (from alloc and init).
    static ObjectRef adopt(void* object) { return ObjectRef(object); }

    // Adds a reference of its own, for an object the caller does not own.
    static ObjectRef retain(void* object) {
        if (object != nullptr) {
            retainObject(object);
        }
        return ObjectRef(object);
    }

    ObjectRef(const ObjectRef& other) : object(other.object) {
        if (object != nullptr) {
            retainObject(object);
        }
    }
    ObjectRef(ObjectRef&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
    ObjectRef& operator=(ObjectRef other) noexcept {
        std::swap(object, other.object);
        return *this;
    }
    ~ObjectRef() {
        if (object != nullptr) {
            releaseObject(object);
        }
    }

    void* get() const { return object; }
    explicit operator bool() const { return object != nullptr; }

private:
    explicit ObjectRef(void* object) : object(object) {}

    void* object = nullptr;
};

} // namespace tarvo::platform
