#include "Types.h"

#include <algorithm>

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b) {
    dest = TRect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom));
    if (dest.IsEmpty()) {
        dest = TRect();
        return false;
    }
    return true;
}

void InflateRect(TRect& r, Integer dx, Integer dy) { r.Inflate(dx, dy); }
