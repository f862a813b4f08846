// The geometry of one direction of a grid, shared by the grid's sources:
// not part of the public surface of Grids.h.
#pragma once

#include "Grids.h"

#include <algorithm>
#include <vector>

// One direction of the grid: the columns across or the rows down. Each
// cell is followed by its grid line when the options draw one.
struct TCustomGrid::AxisView {
    const std::vector<Integer>& sizes;
    Integer count;
    Integer fixed;
    Integer first;   // first scrolling cell shown
    Integer extent;  // client width or height
    Integer fixedLine;
    Integer line;

    Integer size(Integer i) const { return sizes[size_t(i)]; }
    Integer step(Integer i) const { return size(i) + (i < fixed ? fixedLine : line); }
    Integer fixedExtent() const {
        Integer e = 0;
        for (Integer i = 0; i < fixed; ++i) e += step(i);
        return e;
    }
    // Where cell i starts, or -1 for a scrolling cell above or left of the
    // view. The walk stops at the view's edge, so a cell beyond it costs no
    // more than one in view: the answer is then some position at or past
    // extent.
    Integer start(Integer i) const {
        Integer pos = 0;
        if (i < fixed) {
            for (Integer k = 0; k < i; ++k) pos += step(k);
            return pos;
        }
        if (i < first) return -1;
        pos = fixedExtent();
        for (Integer k = first; k < i && pos < extent; ++k) {
            ++axisWalkSteps_;
            pos += step(k);
        }
        return pos;
    }
    // The cell whose area (with its line) holds p, or -1.
    Integer cellAt(Integer p) const {
        if (p < 0 || p >= extent) return -1;
        Integer pos = 0;
        for (Integer i = 0; i < fixed; ++i) {
            pos += step(i);
            if (p < pos) return i;
        }
        for (Integer i = first; i < count; ++i) {
            pos += step(i);
            if (p < pos) return i;
        }
        return -1;
    }
    // The last scrolling cell shown whole (at least the first one).
    Integer lastFullVisible() const {
        Integer pos = fixedExtent();
        Integer last = first;
        for (Integer i = first; i < count; ++i) {
            if (pos + size(i) > extent) break;
            last = i;
            pos += step(i);
        }
        return std::min(last, count - 1);
    }
    // The greatest first cell that still shows the last one; the last line
    // may fall outside, as it does when the cells fill the view exactly.
    Integer maxFirst() const {
        const Integer room = extent + line - fixedExtent();
        if (count <= fixed) return fixed;
        Integer i = count - 1;
        Integer used = step(i);
        while (i > fixed && used + step(i - 1) <= room) {
            --i;
            used += step(i);
        }
        return std::max(i, fixed);
    }
    // The first scrolling cell from which cell shows whole (the view moves
    // as little as it can).
    Integer firstShowing(Integer cell) const {
        if (cell < fixed) return first;
        if (cell < first) return cell;
        // Back from the cell while the cells above it still fit.
        const Integer room = extent - fixedExtent();
        Integer f = cell;
        Integer used = size(cell);
        while (f > first && used + step(f - 1) <= room) {
            --f;
            used += step(f);
        }
        return f;
    }
};
