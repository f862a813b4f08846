// Checks the barcode harnesses share.
#pragma once

#include "CBarCode.h"
#include "FuzzSupport.h"

// Digits only, bars and spaces alternating from a bar; the total width in
// modules.
inline int ElementModules(const AnsiString& elements) {
    int modules = 0;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const int d = elements[i] - '0';
        FUZZ_CHECK(d >= 0 && d <= 7, "element %d at %d", d, int(i));
        FUZZ_CHECK(d % 2 == (i % 2 == 0 ? 1 : 0), "bar and space out of turn at %d", int(i));
        modules += d / 2 + 1;
    }
    return modules;
}
