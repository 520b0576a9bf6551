// Trigonometry from correctly rounded arithmetic alone. Every value is carried as an
// unevaluated sum of two doubles (about 106 bits) through the argument reduction and the
// series, and rounded once at the end: that single rounding is what makes the results the
// correctly rounded ones on all but a vanishing share of inputs.
//
// sin and cos: x = k pi/2 + r with |r| <= pi/4, then their Taylor series in r. The reduction
// subtracts k pi/2 in exact pieces below 2^20 and multiplies by as many bits of 2/pi as the
// exponent needs above. atan: atan y = atan c + atan((y - c) / (1 + y c)) for the nearest c
// of i/32, whose arc tangents are tabulated, then the Taylor series of the small rest; the
// other inverse functions are arc tangents of exact ratios.
#include "engine/system/trigonometry.h"

#include <bit>
#include <cmath>  // std::sqrt, correctly rounded on every platform
#include <cstdint>
#include <limits>

#include "engine/system/trigonometry_constants.h"

namespace {

namespace tc = trigonometry_constants;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// hi + lo with |lo| at most half an ulp of hi.
struct Wide {
    double hi, lo;
};

// a + b exactly, when |a| >= |b| or a == 0.
constexpr Wide QuickTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a + b exactly, in any order (Knuth).
constexpr Wide TwoSum(double a, double b) {
    const double s = a + b;
    const double b_part = s - a;
    return {s, (a - (s - b_part)) + (b - b_part)};
}

// a * b exactly (Dekker), from Veltkamp's split of each factor into two halves of 26 bits.
// Exact while the factors are below 2^995 and the partial products stay normal.
constexpr Wide Split(double a) {
    const double t = 134217729.0 * a;  // 2^27 + 1
    const double hi = t - (t - a);
    return {hi, a - hi};
}
constexpr Wide TwoProduct(double a, double b) {
    const double p = a * b;
    const Wide x = Split(a), y = Split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

constexpr Wide Negate(Wide a) {
    return {-a.hi, -a.lo};
}

// Accurate even when a and b cancel.
constexpr Wide Add(Wide a, Wide b) {
    const Wide s = TwoSum(a.hi, b.hi), t = TwoSum(a.lo, b.lo);
    const Wide u = QuickTwoSum(s.hi, s.lo + t.hi);
    return QuickTwoSum(u.hi, u.lo + t.lo);
}
constexpr Wide Subtract(Wide a, Wide b) {
    return Add(a, Negate(b));
}

constexpr Wide Multiply(Wide a, Wide b) {
    const Wide p = TwoProduct(a.hi, b.hi);
    return QuickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

constexpr Wide Square(Wide a) {
    const Wide p = TwoProduct(a.hi, a.hi);
    return QuickTwoSum(p.hi, p.lo + 2 * a.hi * a.lo);
}

// One correction step after the quotient of the leading parts: about 2^-104 relative.
constexpr Wide Divide(Wide a, Wide b) {
    const double q = a.hi / b.hi;
    const Wide rest = Subtract(a, Multiply(b, {q, 0}));
    return QuickTwoSum(q, rest.hi / b.hi);
}

Wide SquareRoot(Wide a) {
    const double s = std::sqrt(a.hi);
    const Wide rest = Subtract(a, Square({s, 0}));
    return QuickTwoSum(s, rest.hi / (2 * s));
}

constexpr Wide kHalfPi = {tc::kHalfPi, tc::kHalfPiLow};
constexpr Wide kPi = {2 * tc::kHalfPi, 2 * tc::kHalfPiLow};
constexpr Wide kQuarterPi = {tc::kHalfPi / 2, tc::kHalfPiLow / 2};
constexpr Wide kThreeQuarterPi = Add(kHalfPi, kQuarterPi);

// The compiler builtin rather than std::bit_cast, which the browser toolchain's library lacks.
std::uint64_t BitsOf(double x) {
    return __builtin_bit_cast(std::uint64_t, x);
}
double FromBits(std::uint64_t bits) {
    return __builtin_bit_cast(double, bits);
}

bool Negative(double x) {
    return (BitsOf(x) >> 63) != 0;
}
double Magnitude(double x) {
    return FromBits(BitsOf(x) & ~(std::uint64_t{1} << 63));
}
// 2^n for the normal range, -1022 <= n <= 1023.
double PowerOfTwo(int n) {
    return FromBits(static_cast<std::uint64_t>(n + 1023) << 52);
}
// e with 2^e <= x < 2^(e+1), for finite x > 0.
int Exponent(double x) {
    const std::uint64_t bits = BitsOf(x);
    const int biased = static_cast<int>(bits >> 52);
    if (biased != 0) return biased - 1023;
    return 63 - std::countl_zero(bits) - 1074;  // subnormal: 2^-1074 times the bits
}

// The coefficient of r^n in the Taylor series of sin r (n odd) or cos r (n even):
// (-1)^(n/2) / n!, computed at compile time to about 2^-100.
constexpr Wide TaylorCoefficient(int n) {
    Wide v = {1, 0};
    for (int k = 2; k <= n; ++k) v = Divide(v, {static_cast<double>(k), 0});
    return (n / 2) % 2 ? Negate(v) : v;
}

// sin r for |r| <= pi/4 (a rounding beyond does no harm), to r^21: the first term left out is
// below 2^-80 of the result. The terms from r^9 on are below 2^-20 of it and are summed in
// plain doubles, the larger ones in Wide.
constexpr double kSineTail[] = {
    TaylorCoefficient(21).hi, TaylorCoefficient(19).hi, TaylorCoefficient(17).hi,
    TaylorCoefficient(15).hi, TaylorCoefficient(13).hi, TaylorCoefficient(11).hi,
    TaylorCoefficient(9).hi,
};
constexpr Wide kSine7 = TaylorCoefficient(7), kSine5 = TaylorCoefficient(5),
               kSine3 = TaylorCoefficient(3);

Wide SineKernel(Wide r) {
    const Wide z = Square(r);
    double tail = 0;
    for (const double c : kSineTail) tail = tail * z.hi + c;
    Wide w = Add(kSine7, {z.hi * tail, 0});
    w = Add(kSine5, Multiply(z, w));
    w = Add(kSine3, Multiply(z, w));
    return Add(r, Multiply(r, Multiply(z, w)));
}

// cos r for |r| <= pi/4, to r^20: the first term left out is below 2^-77 of the result; the
// terms from r^10 on are below 2^-25 of it.
constexpr double kCosineTail[] = {
    TaylorCoefficient(20).hi, TaylorCoefficient(18).hi, TaylorCoefficient(16).hi,
    TaylorCoefficient(14).hi, TaylorCoefficient(12).hi, TaylorCoefficient(10).hi,
};
constexpr Wide kCosine8 = TaylorCoefficient(8), kCosine6 = TaylorCoefficient(6),
               kCosine4 = TaylorCoefficient(4), kCosine2 = TaylorCoefficient(2);

Wide CosineKernel(Wide r) {
    const Wide z = Square(r);
    double tail = 0;
    for (const double c : kCosineTail) tail = tail * z.hi + c;
    Wide w = Add(kCosine8, {z.hi * tail, 0});
    w = Add(kCosine6, Multiply(z, w));
    w = Add(kCosine4, Multiply(z, w));
    w = Add(kCosine2, Multiply(z, w));
    return Add({1, 0}, Multiply(z, w));
}

// The 64 bits of a little-endian number of 32-bit words from bit `from` up; bits outside it
// read as 0.
template <int kWords>
std::uint64_t BitsFrom(const std::uint32_t (&words)[kWords], int from) {
    const auto word = [&](int i) -> std::uint64_t { return i >= 0 && i < kWords ? words[i] : 0; };
    const int first = from >= 0 ? from / 32 : -((31 - from) / 32);
    const int shift = from - 32 * first;
    const std::uint64_t low = word(first) | word(first + 1) << 32;
    return shift == 0 ? low : low >> shift | word(first + 2) << (64 - shift);
}

// Payne and Hanek's reduction of x >= 2^20: x 2/pi from just the bits of 2/pi that matter.
// With x = m 2^e, the words of 2/pi before `first` only add multiples of 4 quarter turns, and
// seven words from it leave at least 190 bits below the binary point. The words left out
// change the rest by less than 2^-137 of a quarter turn, and the closest double to a multiple
// of pi/2 is 2^-61.5 of one away: its rest still comes out to 2^-75.
int ReduceHuge(double x, Wide& r) {
    constexpr int kWindow = 7;
    const std::uint64_t bits = BitsOf(x);
    const int e = static_cast<int>(bits >> 52) - 1075;
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | std::uint64_t{1} << 52;
    const int first = e >= 2 ? (e - 2) / 32 : 0;

    // p = m times the window of words, little-endian.
    std::uint32_t p[kWindow + 2] = {};
    const std::uint64_t halves[2] = {m & 0xFFFFFFFF, m >> 32};
    for (int h = 0; h < 2; ++h) {
        std::uint64_t carry = 0;
        for (int i = 0; i < kWindow; ++i) {
            const std::uint64_t v =
                halves[h] * tc::kTwoOverPiWords[first + kWindow - 1 - i] + p[i + h] + carry;
            p[i + h] = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
        for (int i = kWindow + h; carry != 0; ++i) {
            const std::uint64_t v = p[i] + carry;
            p[i] = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
    }
    // x 2/pi = p 2^-point, 191 <= point <= 256.
    const int point = 32 * (first + kWindow) - e;
    int quadrant = static_cast<int>(BitsFrom(p, point) & 3);
    // A fraction of a half or more is the next quarter turn less the rest: negating p leaves
    // that rest below the point.
    const bool upper = (BitsFrom(p, point - 1) & 1) != 0;
    if (upper) {
        std::uint64_t carry = 1;
        for (std::uint32_t& w : p) {
            const std::uint64_t v = std::uint64_t{static_cast<std::uint32_t>(~w)} + carry;
            w = static_cast<std::uint32_t>(v);
            carry = v >> 32;
        }
        quadrant = (quadrant + 1) & 3;
    }
    int lead = point - 1;
    while (lead >= 0 && ((p[lead / 32] >> (lead % 32)) & 1) == 0) --lead;
    if (lead < 0) {
        r = {0, 0};
        return quadrant;
    }
    // 53 bits from the leading one, and the 62 after them rounded.
    const std::uint64_t top = BitsFrom(p, lead - 63), next = BitsFrom(p, lead - 127);
    const double hi = static_cast<double>(top >> 11) * PowerOfTwo(lead - 52 - point);
    const double lo =
        static_cast<double>((top & 0x7FF) << 51 | next >> 13) * PowerOfTwo(lead - 114 - point);
    r = Multiply(QuickTwoSum(hi, lo), kHalfPi);
    if (upper) r = Negate(r);
    return quadrant;
}

// x = k pi/2 + r for finite x >= 0; returns k mod 4.
int Reduce(double x, Wide& r) {
    if (x >= 0x1p20) return ReduceHuge(x, r);
    const double k = (x * tc::kTwoOverPi + 0x1p52) - 0x1p52;  // the nearest integer
    // k below 2^20 times a piece of 33 bits is exact.
    const Wide a = TwoSum(x, -k * tc::kHalfPi1);
    const Wide b = TwoSum(a.hi, -k * tc::kHalfPi2);
    const Wide c = TwoSum(b.hi, -k * tc::kHalfPi3);
    r = TwoSum(c.hi, (a.lo + b.lo + c.lo) - k * tc::kHalfPi4);
    return static_cast<int>(k) & 3;
}

// atan y for 0 <= y <= 1 (or a rounding above). With c the nearest i/32,
// t = (y - c) / (1 + y c) is at most 1/64, and its series to t^13 leaves out less than 2^-84.
constexpr double kArcTangentTail[] = {1.0 / 13, -1.0 / 11, 1.0 / 9, -1.0 / 7, 1.0 / 5};
constexpr Wide kArcTangent3 = Negate(Divide({1, 0}, {3, 0}));

Wide ArcTangentKernel(Wide y) {
    const int i = static_cast<int>(y.hi * 32 + 0.5);
    const double c = i / 32.0;
    const Wide t = Divide(Add(y, {-c, 0}), Add({1, 0}, Multiply(y, {c, 0})));
    const Wide z = Square(t);
    double tail = 0;
    for (const double k : kArcTangentTail) tail = tail * z.hi + k;
    const Wide w = Add(kArcTangent3, {z.hi * tail, 0});
    const Wide at = Add(t, Multiply(t, Multiply(z, w)));
    return Add({tc::kArcTangents[i][0], tc::kArcTangents[i][1]}, at);
}

// atan(num / den) for finite 0 < num <= den, from their quotient to about 2^-104.
Wide ArcTangentOfRatio(double num, double den) {
    const double q = num / den;
    // Beyond the reach of Wide; atan q is q to far better than the rounding of q then.
    if (q < 0x1p-900) return {q, 0};
    // Bring den to 1..2 in two exact steps (one scale factor may be out of range); num stays
    // normal.
    const int shift = -Exponent(den);
    const double s1 = PowerOfTwo(shift / 2), s2 = PowerOfTwo(shift - shift / 2);
    return ArcTangentKernel(Divide({num * s1 * s2, 0}, {den * s1 * s2, 0}));
}

// sqrt(1 - x^2) for 2^-60 <= x < 1.
Wide RootOfOneMinusSquare(double x) {
    return SquareRoot(Subtract({1, 0}, TwoProduct(x, x)));
}

}  // namespace

double Sine(double radians) {
    const double ax = Magnitude(radians);
    if (!(ax < kInfinity)) return radians - radians;
    if (ax < 0x1p-26) return radians;  // sin x = x (1 - x^2/6), within half an ulp of x
    Wide r;
    const int quadrant = Reduce(ax, r);
    const double v = (quadrant & 1 ? CosineKernel(r) : SineKernel(r)).hi;
    return ((quadrant & 2) != 0) != Negative(radians) ? -v : v;
}

double Cosine(double radians) {
    const double ax = Magnitude(radians);
    if (!(ax < kInfinity)) return radians - radians;
    if (ax < 0x1p-27) return 1;
    Wide r;
    const int quadrant = Reduce(ax, r);
    const double v = (quadrant & 1 ? SineKernel(r) : CosineKernel(r)).hi;
    return (quadrant + 1) & 2 ? -v : v;
}

double Tangent(double radians) {
    const double ax = Magnitude(radians);
    if (!(ax < kInfinity)) return radians - radians;
    if (ax < 0x1p-27) return radians;
    Wide r;
    const int quadrant = Reduce(ax, r);
    const Wide s = SineKernel(r), c = CosineKernel(r);
    const double v = quadrant & 1 ? -Divide(c, s).hi : Divide(s, c).hi;
    return Negative(radians) ? -v : v;
}

double ArcSine(double x) {
    const double ax = Magnitude(x);
    if (!(ax <= 1)) return x != x ? x + x : std::numeric_limits<double>::quiet_NaN();
    if (ax < 0x1p-26) return x;
    Wide a = kHalfPi;
    if (ax < 1) {
        const Wide c = RootOfOneMinusSquare(ax);
        a = ax <= c.hi ? ArcTangentKernel(Divide({ax, 0}, c))
                       : Subtract(kHalfPi, ArcTangentKernel(Divide(c, {ax, 0})));
    }
    return Negative(x) ? -a.hi : a.hi;
}

double ArcCosine(double x) {
    const double ax = Magnitude(x);
    if (!(ax <= 1)) return x != x ? x + x : std::numeric_limits<double>::quiet_NaN();
    if (x == 1) return 0;
    if (x == -1) return kPi.hi;
    if (ax < 0x1p-57) return kHalfPi.hi;  // pi/2 - x rounds to it
    const Wide c = RootOfOneMinusSquare(ax);
    Wide a = c.hi <= ax ? ArcTangentKernel(Divide(c, {ax, 0}))
                        : Subtract(kHalfPi, ArcTangentKernel(Divide({ax, 0}, c)));
    if (Negative(x)) a = Subtract(kPi, a);
    return a.hi;
}

double ArcTangent(double x) {
    if (x != x) return x + x;
    const double ax = Magnitude(x);
    if (ax < 0x1p-27) return x;  // atan x = x (1 - x^2/3), within half an ulp of x
    Wide a = kHalfPi;            // beyond 2^54, pi/2 - 1/x still rounds to it
    if (ax <= 1) {
        a = ArcTangentKernel({ax, 0});
    } else if (ax <= 0x1p54) {
        a = Subtract(kHalfPi, ArcTangentKernel(Divide({1, 0}, {ax, 0})));
    }
    return Negative(x) ? -a.hi : a.hi;
}

double ArcTangent2(double y, double x) {
    if (x != x || y != y) return x + y;
    const double ay = Magnitude(y), ax = Magnitude(x);
    const bool left = Negative(x);
    Wide a;
    if (ay == 0) {
        a = left ? kPi : Wide{0, 0};
    } else if (ax == 0 || (ay == kInfinity && ax < kInfinity)) {
        a = kHalfPi;
    } else if (ax == kInfinity) {
        if (ay == kInfinity) {
            a = left ? kThreeQuarterPi : kQuarterPi;
        } else {
            a = left ? kPi : Wide{0, 0};
        }
    } else if (ay <= ax) {
        a = ArcTangentOfRatio(ay, ax);
        if (left) a = Subtract(kPi, a);
    } else {
        a = Subtract(kHalfPi, ArcTangentOfRatio(ax, ay));
        if (left) a = Subtract(kPi, a);
    }
    return Negative(y) ? -a.hi : a.hi;
}
