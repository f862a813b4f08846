// Routines the barcode encoders share (not part of the unit's interface).
#pragma once

#include "CBarCode.h"

namespace CBarCode {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Not empty and nothing but the digits 0-9.
inline bool AllDigits(const AnsiString& text) {
    if (text.isEmpty()) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    return true;
}

// Weights 3, 1, 3, 1 ... from the rightmost digit; the digit that brings
// the weighted sum to a multiple of ten.
inline Integer Modulo10Check(const AnsiString& digits) {
    Integer sum = 0;
    Integer weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits[i] - '0') * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

}  // namespace CBarCode
