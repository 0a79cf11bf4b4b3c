#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

namespace masume {

// The rows of the mask a drawing is for, [top, bottom). By default every
// row: then a grid routine draws each of its lines, also those that lie
// outside the mask. Given a band, it leaves out the lines that cannot set
// a pixel of it, found by arithmetic, so that a band costs the lines that
// cross it; the lines it draws it draws exactly as it would on the whole
// mask (the pen clips them to the band).
struct RowBand
{
    int64_t top = std::numeric_limits<int64_t>::min();
    int64_t bottom = std::numeric_limits<int64_t>::max();

    bool all() const
    {
        return top == std::numeric_limits<int64_t>::min()
            && bottom == std::numeric_limits<int64_t>::max();
    }
};

// Indices first .. last (inclusive; empty when last < first) of a series of
// lines, narrowed to those whose rows may meet the band. Line i covers at
// most the rows low(i) .. high(i) (inclusive); low and high must each be
// monotone in i (either way, or constant). Costs two binary searches, each
// O(log(last - first)) calls of low or high; nothing for the whole-mask band.
// Returns {lo, hi} with hi < lo when no line meets it.
template<class Low, class High>
std::pair<int64_t, int64_t> linesMeeting(const RowBand &band, int64_t first, int64_t last, Low low,
                                         High high)
{
    if (band.all() || last < first)
        return {first, last};
    // The indices where a monotone condition holds form a prefix or a
    // suffix of first .. last; narrows [lo, hi] to it.
    int64_t lo = first, hi = last;
    const auto narrow = [&](auto holds) {
        const bool atFirst = holds(first), atLast = holds(last);
        if (atFirst && atLast)
            return;
        if (!atFirst && !atLast) {
            lo = last + 1;
            hi = last;
            return;
        }
        // Binary search for the boundary between a and b, where holds(a)
        // differs from holds(b).
        int64_t a = first, b = last;
        while (b - a > 1) {
            const int64_t m = a + (b - a) / 2;
            (holds(m) == atFirst ? a : b) = m;
        }
        if (atFirst)
            hi = std::min(hi, a);
        else
            lo = std::max(lo, b);
    };
    narrow([&](int64_t i) { return high(i) >= band.top; });
    narrow([&](int64_t i) { return low(i) < band.bottom; });
    return {lo, hi};
}

// Calls f(i, inA, inB) for each index of the ranges a and b ({lo, hi}, as
// linesMeeting gives them) in ascending order, each once, skipping the gap
// between them: so two series of one loop keep their order and a band costs
// only their lines.
template<class F>
void forEachIndex(std::pair<int64_t, int64_t> a, std::pair<int64_t, int64_t> b, F f)
{
    const auto in
        = [](std::pair<int64_t, int64_t> r, int64_t i) { return r.first <= i && i <= r.second; };
    const auto visit = [&](int64_t lo, int64_t hi) {
        for (int64_t i = lo; i <= hi; ++i)
            f(i, in(a, i), in(b, i));
    };
    const bool emptyA = a.second < a.first, emptyB = b.second < b.first;
    if (emptyA || emptyB) {
        if (!emptyA)
            visit(a.first, a.second);
        if (!emptyB)
            visit(b.first, b.second);
        return;
    }
    const auto first = a.first <= b.first ? a : b;
    const auto second = a.first <= b.first ? b : a;
    if (second.first <= first.second + 1) {
        visit(first.first, std::max(first.second, second.second));
        return;
    }
    visit(first.first, first.second);
    visit(second.first, second.second);
}

} // namespace masume
