#include "common/com/ComObject.h"

namespace bastide::com {

namespace {
std::atomic<long> objects{0};
}

long ObjectCount() { return objects.load(); }
void AddObjectCount() { ++objects; }
void ReleaseObjectCount() { --objects; }

} // namespace bastide::com
