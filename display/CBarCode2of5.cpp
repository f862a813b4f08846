// The two-of-five family: interleaved (ITF), industrial (CTF), IATA, matrix
// and NEC. Each digit is five elements, two of them wide.
#include "CBarCodeEncoding.h"

using namespace CBarCode;

namespace {

// 'n' narrow, 'w' wide, by digit.
const char* const Common[10] = {"nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw",
                                "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn"};
const char* const Nec[10] = {"wwnnn", "nnnww", "nnwnw", "nnwwn", "nwnnw",
                             "nwnwn", "nwwnn", "wnnnw", "wnnwn", "wnwnn"};

enum TDigitLayout { dlInterleaved, dlBarsOnly, dlAlternating };

struct TTwoOfFive {
    const char* start;
    const char* stop;
    const char* const* table;
    TDigitLayout layout;
};

const TTwoOfFive Interleaved = {"1010", "301", Common, dlInterleaved};
const TTwoOfFive Industrial = {"303010", "30103", Common, dlBarsOnly};
const TTwoOfFive Iata = {"1010", "301", Common, dlBarsOnly};
const TTwoOfFive Matrix = {"301010", "30101", Common, dlAlternating};
const TTwoOfFive NecTwoOfFive = {"3030", "123", Nec, dlAlternating};

char Bar(char width) { return width == 'w' ? '3' : '1'; }
char Space(char width) { return width == 'w' ? '2' : '0'; }

void AppendDigit(AnsiString& out, const char* pattern, TDigitLayout layout) {
    for (int k = 0; k < 5; ++k) {
        if (layout == dlBarsOnly) {
            out += Bar(pattern[k]);
            out += '0';
        } else {
            out += k % 2 == 0 ? Bar(pattern[k]) : Space(pattern[k]);
        }
    }
    if (layout == dlAlternating) out += '0';
}

// Bars from the first digit of each pair, spaces from the second.
void AppendPair(AnsiString& out, const char* bars, const char* spaces) {
    for (int k = 0; k < 5; ++k) {
        out += Bar(bars[k]);
        out += Space(spaces[k]);
    }
}

AnsiString Encode(TBarEncoding& e, const TTwoOfFive& code, bool withCheck) {
    if (!AllDigits(e.Caption)) return {};
    AnsiString digits = e.Caption;
    if (code.layout == dlInterleaved && (digits.size() + (withCheck ? 1 : 0)) % 2 != 0) digits.prepend('0');
    Integer check = -1;
    if (withCheck) {
        check = Modulo10Check(digits);
        digits += char('0' + check);
    }
    AnsiString out = code.start;
    if (code.layout == dlInterleaved) {
        for (qsizetype i = 0; i + 1 < digits.size(); i += 2)
            AppendPair(out, code.table[digits[i] - '0'], code.table[digits[i + 1] - '0']);
    } else {
        for (char d : digits) AppendDigit(out, code.table[d - '0'], code.layout);
    }
    out += code.stop;
    e.Symbol = digits;
    e.CheckValue = check;
    return out;
}

}  // namespace

AnsiString EncodeITF(TBarEncoding& e) { return Encode(e, Interleaved, e.CD); }
AnsiString EncodeCTF(TBarEncoding& e) { return Encode(e, Industrial, e.CD); }
// IATA always carries its check digit.
AnsiString EncodeIATA(TBarEncoding& e) { return Encode(e, Iata, true); }
AnsiString EncodeMATRIX(TBarEncoding& e) { return Encode(e, Matrix, e.CD); }
AnsiString EncodeNEC(TBarEncoding& e) { return Encode(e, NecTwoOfFive, e.CD); }
