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

bool UnionRect(TRect& dest, const TRect& a, const TRect& b) {
    if (a.IsEmpty()) {
        dest = b;
    } else if (b.IsEmpty()) {
        dest = a;
    } else {
        dest = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                     std::max(a.Bottom, b.Bottom));
    }
    if (dest.IsEmpty()) {
        dest = TRect();
        return false;
    }
    return true;
}

bool PtInRect(const TRect& r, const TPoint& p) { return r.Contains(p); }
void InflateRect(TRect& r, Integer dx, Integer dy) { r.Inflate(dx, dy); }
void OffsetRect(TRect& r, Integer dx, Integer dy) { r.Offset(dx, dy); }
