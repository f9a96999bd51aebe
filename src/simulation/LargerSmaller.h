#pragma once
// Larger and smaller of two values. When neither value is strictly larger (smaller), the
// second argument is returned; callers that scan for extremes rely on that.

namespace kemvo {

constexpr double larger(double first, double second) {
    return first > second ? first : second;
}

constexpr double smaller(double first, double second) {
    return first < second ? first : second;
}

} // namespace kemvo
