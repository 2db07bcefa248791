#include "appkit/World.h"
#include "appkit/Install.h"
#include "appkit/MessageCheck.h"

#include <cctype>
#include <stdexcept>

namespace tarvo::appkit::doubles {

namespace {

// Kept to the end of the process; while a world is destroyed, it is still the current one.
World*& currentWorld() {
    static World* current = nullptr;
    return current;
}

// "statusItem" for NSStatusItem, "tarvoCustomView" for TarvoCustomView.
std::string namePrefix(Class cls) {
    std::string name = class_getName(cls);
    if (name.starts_with("NS")) {
        name.erase(0, 2);
    }
    name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
}

} // namespace

Strong::Strong(id object) : object(object) {
    if (object != nil) {
        world().retain(object);
    }
}

Strong::~Strong() {
    if (object != nil) {
        world().release(object);
    }
}

World::~World() {
    isEnding = true;
    for (auto& [object, found] : objects) {
        found.state = std::monostate{};
    }
    for (const auto& [object, found] : objects) {
        if (!staticObjects.contains(object)) {
            object_dispose(object);
        }
    }
}

id World::create(Class cls, State state) {
    const id object = class_createInstance(cls, 0);
    const std::string prefix = namePrefix(cls);
    objects[object] = {prefix + std::to_string(++counters[prefix]), 1, false, false,
                       std::move(state)};
    return object;
}

id World::createPermanent(Class cls, std::string name, State state) {
    const id object = class_createInstance(cls, 0);
    objects[object] = {std::move(name), 1, true, false, std::move(state)};
    return object;
}

void World::addStatic(id object, std::string name, State state) {
    staticObjects.insert(object);
    objects[object] = {std::move(name), 1, true, false, std::move(state)};
}

Record& World::record(id object) {
    Record* found = find(object);
    if (found == nullptr) {
        fail("not an object of the doubles: " + describeObject(object));
    }
    return *found;
}

Record* World::find(id object) {
    const auto found = objects.find(object);
    return found == objects.end() ? nullptr : &found->second;
}

void World::retain(id object) {
    ++record(object).retainCount;
}

void World::release(id object) {
    if (isEnding) {
        return;
    }
    Record& found = record(object);
    if (found.retainCount <= (found.isPermanent ? 1 : 0)) {
        fail("over-release of " + found.name);
    }
    if (--found.retainCount == 0) {
        deallocate(found);
    }
}

void World::deallocate(Record& found) {
    found.isDeallocated = true;
    // What it held is released once it is marked: that may deallocate more.
    const State held = std::exchange(found.state, std::monostate{});
}

id World::autorelease(id object) {
    if (pools.empty()) {
        fail("no autorelease pool in place for " + record(object).name);
    }
    pools.back().push_back(object);
    return object;
}

void* World::pushPool() {
    pools.emplace_back();
    return reinterpret_cast<void*>(pools.size());
}

void World::popPool(void* pool) {
    if (reinterpret_cast<std::size_t>(pool) != pools.size()) {
        fail("autorelease pools popped out of order");
    }
    const std::vector<id> pooled = std::move(pools.back());
    pools.pop_back();
    for (id object : pooled) {
        release(object);
    }
}

std::vector<std::string> World::liveObjects() const {
    std::vector<std::string> live;
    for (const auto& [object, found] : objects) {
        if (!found.isPermanent && !found.isDeallocated) {
            live.push_back(found.name);
        }
    }
    return live;
}

World& world() {
    return *currentWorld();
}

void resetWorld() {
    installDoubles();
    delete currentWorld();
    currentWorld() = new World();
    createSharedObjects(world());
}

void fail(const std::string& fault) {
    if (currentWorld() != nullptr) {
        world().faults.push_back(fault);
    }
    throw std::logic_error(fault);
}

} // namespace tarvo::appkit::doubles
