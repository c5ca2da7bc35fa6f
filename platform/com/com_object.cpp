#include "platform/com/com_object.h"

namespace tavrel {

namespace {
std::atomic<std::size_t> objectsAlive{0};
}  // namespace

std::size_t ComObjectsAlive() { return objectsAlive.load(std::memory_order_relaxed); }

namespace com_object_internal {

void CountConstruction() { objectsAlive.fetch_add(1, std::memory_order_relaxed); }

void CountDestruction() { objectsAlive.fetch_sub(1, std::memory_order_relaxed); }

}  // namespace com_object_internal

}  // namespace tavrel
