#pragma once
#if defined(__SSE2__)
#include <emmintrin.h>  // on every x86-64 processor

/// Two doubles worked on side by side in one SSE2 register: each operation
/// is the scalar one on each lane, so a formula written once over the number
/// type gives each lane the bits the scalar code gives.
struct DoublePair {
    __m128d v;

    DoublePair() : v(_mm_setzero_pd()) {}
    DoublePair(double both) : v(_mm_set1_pd(both)) {}
    DoublePair(double first, double second) : v(_mm_set_pd(second, first)) {}
    explicit DoublePair(__m128d lanes) : v(lanes) {}

    double first() const { return _mm_cvtsd_f64(v); }
    double second() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }
};

inline DoublePair operator+(DoublePair a, DoublePair b) { return DoublePair(_mm_add_pd(a.v, b.v)); }
inline DoublePair operator-(DoublePair a, DoublePair b) { return DoublePair(_mm_sub_pd(a.v, b.v)); }
inline DoublePair operator*(DoublePair a, DoublePair b) { return DoublePair(_mm_mul_pd(a.v, b.v)); }
inline DoublePair operator/(DoublePair a, DoublePair b) { return DoublePair(_mm_div_pd(a.v, b.v)); }
/// The sign flipped, as the scalar unary minus does (not 0 - a, which
/// differs on a zero).
inline DoublePair operator-(DoublePair a) { return DoublePair(_mm_xor_pd(a.v, _mm_set1_pd(-0.0))); }

/// Each lane's square root.
inline DoublePair Sqrt(DoublePair a) { return DoublePair(_mm_sqrt_pd(a.v)); }

/// A lane mask: all ones where a lane's comparison holds.
struct PairMask {
    __m128d bits;
};
inline PairMask operator==(DoublePair a, DoublePair b) { return {_mm_cmpeq_pd(a.v, b.v)}; }

/// `yes` in the lanes where `mask` holds, `no` in the others.
inline DoublePair Where(PairMask mask, DoublePair yes, DoublePair no) {
    return DoublePair(_mm_or_pd(_mm_and_pd(mask.bits, yes.v), _mm_andnot_pd(mask.bits, no.v)));
}

#else  // elsewhere two doubles side by side, each worked on as a double
#include <cmath>

struct DoublePair {
    double a = 0, b = 0;

    DoublePair() = default;
    DoublePair(double both) : a(both), b(both) {}
    DoublePair(double first, double second) : a(first), b(second) {}

    double first() const { return a; }
    double second() const { return b; }
};

inline DoublePair operator+(DoublePair x, DoublePair y) { return {x.a + y.a, x.b + y.b}; }
inline DoublePair operator-(DoublePair x, DoublePair y) { return {x.a - y.a, x.b - y.b}; }
inline DoublePair operator*(DoublePair x, DoublePair y) { return {x.a * y.a, x.b * y.b}; }
inline DoublePair operator/(DoublePair x, DoublePair y) { return {x.a / y.a, x.b / y.b}; }
inline DoublePair operator-(DoublePair x) { return {-x.a, -x.b}; }

inline DoublePair Sqrt(DoublePair x) { return {std::sqrt(x.a), std::sqrt(x.b)}; }

struct PairMask {
    bool a, b;
};
inline PairMask operator==(DoublePair x, DoublePair y) { return {x.a == y.a, x.b == y.b}; }

inline DoublePair Where(PairMask mask, DoublePair yes, DoublePair no) {
    return {mask.a ? yes.a : no.a, mask.b ? yes.b : no.b};
}

#endif

// A double with a pair: the double in both lanes.
inline DoublePair operator+(double a, DoublePair b) { return DoublePair(a) + b; }
inline DoublePair operator-(double a, DoublePair b) { return DoublePair(a) - b; }
inline DoublePair operator*(double a, DoublePair b) { return DoublePair(a) * b; }
inline DoublePair operator/(double a, DoublePair b) { return DoublePair(a) / b; }
inline DoublePair operator+(DoublePair a, double b) { return a + DoublePair(b); }
inline DoublePair operator-(DoublePair a, double b) { return a - DoublePair(b); }
inline DoublePair operator*(DoublePair a, double b) { return a * DoublePair(b); }
inline DoublePair operator/(DoublePair a, double b) { return a / DoublePair(b); }
