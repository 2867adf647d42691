#include "app/parallel.h"

#include <algorithm>

namespace rowbit {

unsigned workerCount() {
    // Asked once: the answer is read from the system on every call.
    static const unsigned count = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    return count;
}

} // namespace rowbit
