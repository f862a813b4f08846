// Basic types of the component framework: integer aliases, strings, points,
// rectangles with exclusive right/bottom edges, and the enumeration bit set.
#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <type_traits>

using Integer = int32_t;
using Cardinal = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using Word = uint16_t;
using Byte = uint8_t;
using SmallInt = int16_t;
using ShortInt = int8_t;
using LongWord = uint32_t;
using Extended = long double;
using Double = double;
using Single = float;
using Boolean = bool;
using TDateTime = double;  // days since 1899-12-30, time as the fraction

using String = QString;         // UTF-16, reference counted
using WideChar = QChar;
using AnsiString = QByteArray;  // 8-bit text in the ANSI code page (932)

class TObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

struct TPoint {
    Integer X = 0;
    Integer Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(Integer x, Integer y) : X(x), Y(y) {}
    constexpr bool operator==(const TPoint&) const = default;
};

// A rectangle as the platform keeps it: Right and Bottom lie just outside.
struct TRect {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(Integer l, Integer t, Integer r, Integer b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr Integer Width() const { return Right - Left; }
    constexpr Integer Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr bool Contains(const TPoint& p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    constexpr void Offset(Integer dx, Integer dy) { Left += dx; Right += dx; Top += dy; Bottom += dy; }
    constexpr void Inflate(Integer dx, Integer dy) { Left -= dx; Right += dx; Top -= dy; Bottom += dy; }
    constexpr bool operator==(const TRect&) const = default;
};

struct TSize {
    Integer cx = 0;
    Integer cy = 0;
    constexpr bool operator==(const TSize&) const = default;
};

constexpr TRect Rect(Integer l, Integer t, Integer r, Integer b) { return {l, t, r, b}; }
constexpr TRect Bounds(Integer l, Integer t, Integer w, Integer h) { return {l, t, l + w, t + h}; }
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);
void InflateRect(TRect& r, Integer dx, Integer dy);

// A set of enumeration values: bit n stands for the value of ordinal n.
// Up to 64 values; a set of at most eight values fits its low byte.
template <typename E>
class Set {
    static_assert(std::is_enum_v<E>, "Set holds enumeration values");

public:
    constexpr Set() = default;
    constexpr Set(std::initializer_list<E> values) {
        for (E v : values) bits_ |= bit(v);
    }
    static constexpr Set FromBits(uint64_t bits) { Set s; s.bits_ = bits; return s; }
    constexpr uint64_t Bits() const { return bits_; }

    constexpr bool Contains(E v) const { return (bits_ & bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr Set& Include(E v) { bits_ |= bit(v); return *this; }
    constexpr Set& Exclude(E v) { bits_ &= ~bit(v); return *this; }

    constexpr Set operator+(const Set& o) const { return FromBits(bits_ | o.bits_); }
    constexpr Set operator-(const Set& o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr Set operator*(const Set& o) const { return FromBits(bits_ & o.bits_); }
    constexpr Set operator+(E v) const { return FromBits(bits_ | bit(v)); }
    constexpr Set operator-(E v) const { return FromBits(bits_ & ~bit(v)); }
    constexpr Set& operator+=(const Set& o) { bits_ |= o.bits_; return *this; }
    constexpr Set& operator-=(const Set& o) { bits_ &= ~o.bits_; return *this; }
    constexpr Set& operator*=(const Set& o) { bits_ &= o.bits_; return *this; }
    constexpr Set& operator<<(E v) { return Include(v); }
    constexpr Set& operator>>(E v) { return Exclude(v); }
    constexpr bool operator==(const Set&) const = default;
    // Subset test, as the platform's "<=" on sets.
    constexpr bool operator<=(const Set& o) const { return (bits_ & ~o.bits_) == 0; }

private:
    static constexpr uint64_t bit(E v) { return uint64_t(1) << static_cast<unsigned>(v); }
    uint64_t bits_ = 0;
};

// Mouse buttons and shift state, shared by the key and mouse events.
enum TShiftStateValue { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = Set<TShiftStateValue>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
