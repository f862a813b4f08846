// CODE39, NW7 (Codabar) and CODE93: alphanumeric symbologies, each with a
// character table of its own.
#include "CBarCodeEncoding.h"

#include <cstring>

using namespace CBarCode;

namespace {

// ---- CODE39: nine elements (three wide) and a narrow gap per character.
const char* const Code39Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
const char* const Code39Patterns[43] = {
    "1012303010", "3012101030", "1032101030", "3032101010", "1012301030", "3012301010", "1032301010",
    "1012103030", "3012103010", "1032103010", "3010121030", "1030121030", "3030121010", "1010321030",
    "3010321010", "1030321010", "1010123030", "3010123010", "1030123010", "1010323010", "3010101230",
    "1030101230", "3030101210", "1010301230", "3010301210", "1030301210", "1010103230", "3010103210",
    "1030103210", "1010303210", "3210101030", "1230101030", "3230101010", "1210301030", "3210301010",
    "1230301010", "1210103030", "3210103010", "1230103010", "1212121010", "1212101210", "1210121210",
    "1012121210"};
const char* const Code39StartStop = "1210303010";  // "*"

// ---- NW7: seven elements and a narrow gap per character.
const char* const Nw7Chars = "0123456789-$:/.+ABCD";
const char* const Nw7Patterns[20] = {
    "10101230", "10103210", "10121030", "32101010", "10301210", "30101210", "12101030",
    "12103010", "12301010", "30121010", "10123010", "10321010", "30103030", "30301030",
    "30303010", "10303030", "10321210", "12121030", "10121230", "10123210"};

// ---- CODE93: three bars and three spaces of 1 to 4 modules per value;
// 43..46 are the shift characters ($), (%), (/), (+).
const char* const Code93Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
const char* const Code93Patterns[47] = {
    "141012", "101214", "101412", "101610", "121014", "121212", "121410", "101016", "141210", "161010",
    "301014", "301212", "301410", "321012", "321210", "341010", "103014", "103212", "103410", "123012",
    "143010", "101034", "101232", "101430", "121032", "141030", "303012", "303210", "301032", "301230",
    "321030", "323010", "103032", "103230", "123030", "125010", "121050", "501012", "501210", "521010",
    "103050", "105030", "301050", "121230", "503010", "501030", "123210"};
const char* const Code93Shifts = "$%/+";  // as written inside "<" and ">"
const char* const Code93Start = "101070";
const char* const Code93Stop = "1010701";  // the start pattern and a termination bar

// Position of c in chars, or -1 (the terminating zero is not a character).
Integer ValueOf(const char* chars, char c) {
    const char* p = c ? std::strchr(chars, c) : nullptr;
    return p ? Integer(p - chars) : -1;
}

char UpperCase(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Weights 1, 2 ... max, then 1 again, from the rightmost value.
Integer Code93Check(const std::vector<Integer>& values, Integer maxWeight) {
    Integer sum = 0;
    Integer weight = 0;
    for (auto v = values.rbegin(); v != values.rend(); ++v) {
        weight = weight % maxWeight + 1;
        sum = (sum + *v * weight) % 47;
    }
    return sum;
}

AnsiString Code93Text(Integer v) {
    if (v < 43) return AnsiString(1, Code93Chars[v]);
    return AnsiString("<") + Code93Shifts[v - 43] + '>';
}

}  // namespace

AnsiString EncodeCODE39(TBarEncoding& e) {
    if (e.Caption.isEmpty()) return {};
    AnsiString out = Code39StartStop;
    Integer sum = 0;
    for (char c : e.Caption) {
        const Integer v = ValueOf(Code39Chars, c);
        if (v < 0) return {};
        sum += v;
        out += Code39Patterns[v];
    }
    const Integer check = sum % 43;
    if (e.CD) out += Code39Patterns[check];
    out += Code39StartStop;
    e.Symbol = "*" + e.Caption + (e.CD && e.SymbolCdDisp ? AnsiString(1, Code39Chars[check]) : AnsiString()) + "*";
    if (e.CD) e.CheckValue = check;
    return out;
}

AnsiString EncodeNW7(TBarEncoding& e) {
    if (e.Caption.isEmpty()) return {};
    const Integer start = ValueOf(Nw7Chars, UpperCase(e.StartChar));
    const Integer stop = ValueOf(Nw7Chars, UpperCase(e.StopChar));
    if (start < 16 || stop < 16) return {};
    AnsiString out = Nw7Patterns[start];
    Integer sum = start + stop;
    for (char c : e.Caption) {
        const Integer v = ValueOf(Nw7Chars, c);
        if (v < 0) return {};
        sum += v;
        out += Nw7Patterns[v];
    }
    const Integer check = (16 - sum % 16) % 16;
    if (e.CD) out += Nw7Patterns[check];
    out += Nw7Patterns[stop];
    auto cased = [&](char c) { return e.SymbolCharCase == scUpperCase ? UpperCase(c) : LowerCase(c); };
    e.StartChar = cased(e.StartChar);
    e.StopChar = cased(e.StopChar);
    e.Symbol = e.StartChar + e.Caption + (e.CD && e.SymbolCdDisp ? AnsiString(1, Nw7Chars[check]) : AnsiString()) +
               e.StopChar;
    if (e.CD) e.CheckValue = check;
    return out;
}

bool ReadCode93Values(const AnsiString& caption, std::vector<Integer>& values) {
    values.clear();
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const char c = caption[i];
        if (c == '<') {
            if (i + 2 >= caption.size() || caption[i + 2] != '>') return false;
            const Integer shift = ValueOf(Code93Shifts, caption[i + 1]);
            if (shift < 0) return false;
            values.push_back(43 + shift);
            i += 2;
            continue;
        }
        const Integer v = ValueOf(Code93Chars, c);
        if (v < 0) return false;
        values.push_back(v);
    }
    return !values.empty();
}

AnsiString EncodeCODE93(TBarEncoding& e) {
    std::vector<Integer> values;
    if (!ReadCode93Values(e.Caption, values)) return {};
    const Integer c = Code93Check(values, 20);
    values.push_back(c);
    const Integer k = Code93Check(values, 15);
    values.push_back(k);
    AnsiString out = Code93Start;
    for (Integer v : values) out += Code93Patterns[v];
    out += Code93Stop;
    e.Symbol = e.SymbolCdDisp ? "(" + e.Caption + Code93Text(c) + Code93Text(k) + ")" : e.Caption;
    e.CheckValue = c + 100 * k;
    return out;
}
