// CODE128 with caller-chosen code sets: the caption is read as tokens, each
// looked up in the current set; nothing is optimised.
#include "CBarCodeEncoding.h"

#include <QtCore/QHash>

#include <array>

using namespace CBarCode;

namespace {

// Three bars and three spaces of 1 to 4 modules, by value.
const char* const Patterns[103] = {
    "303232", "323032", "323230", "121234", "121432", "141232", "123214", "123412",
    "143212", "321214", "321412", "341212", "103252", "123052", "123250", "105232",
    "125032", "125230", "325210", "321052", "321250", "305212", "325012", "503050",
    "501232", "521032", "521230", "503212", "523012", "523210", "303034", "303430",
    "343030", "101434", "141034", "141430", "103414", "143014", "143410", "301414",
    "341014", "341410", "103054", "103450", "143050", "105034", "105430", "145030",
    "505030", "301450", "341050", "305014", "305410", "305050", "501034", "501430",
    "541030", "503014", "503410", "543010", "507010", "321610", "741010", "101236",
    "101632", "121036", "121630", "161032", "161230", "103216", "103612", "123016",
    "123610", "163012", "163210", "361210", "321016", "705010", "361012", "147010",
    "101272", "121072", "121270", "107212", "127012", "127210", "701212", "721012",
    "721210", "303070", "307030", "703030", "101074", "101470", "141070", "107014",
    "107410", "701014", "701410", "105070", "107050", "501070", "701050"};
const char* const StartPatterns[3] = {"301612", "301216", "301252"};  // sets A, B, C
const char* const StopPattern = "3450103";

// Set A 64..95: the control characters (69 is spelled "ENO").
const char* const ControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENO", "ACK", "BEL",
                                      "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                      "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                      "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
const char* const SetAFunctions[7] = {"FNC3", "FNC2", "SHIFT", "CODEC", "CODEB", "FNC4", "FNC1"};
const char* const SetBFunctions[8] = {"DEL", "FNC3", "FNC2", "SHIFT", "CODEC", "FNC4", "CODEA", "FNC1"};
const char* const SetCFunctions[3] = {"CODEB", "CODEA", "FNC1"};

// Each set's texts by value, and the first value of each text.
struct TSetTexts {
    std::array<AnsiString, 103> text;
    QHash<AnsiString, Integer> value;
};

TSetTexts BuildSet(TCode128Set set) {
    TSetTexts texts;
    for (Integer v = 0; v < 103; ++v) {
        AnsiString& t = texts.text[v];
        switch (set) {
        case csSetA:
            t = v < 64 ? AnsiString(1, char(' ' + v)) : v < 96 ? AnsiString(ControlNames[v - 64]) : AnsiString(SetAFunctions[v - 96]);
            break;
        case csSetB:
            t = v < 95 ? AnsiString(1, char(' ' + v)) : AnsiString(SetBFunctions[v - 95]);
            break;
        case csSetC:
            t = v < 100 ? AnsiString::number(v).rightJustified(2, '0') : AnsiString(SetCFunctions[v - 100]);
            break;
        }
        if (!texts.value.contains(t)) texts.value.insert(t, v);
    }
    return texts;
}

const TSetTexts& Texts(TCode128Set set) {
    static const std::array<TSetTexts, 3> sets = {BuildSet(csSetA), BuildSet(csSetB), BuildSet(csSetC)};
    return sets[set];
}

// How a value's text is written back into a caption.
AnsiString TokenText(const AnsiString& text) {
    if (text == "<") return "<<";
    if (text == ">") return ">>";
    return text.size() > 1 ? "<" + text + ">" : text;
}

}  // namespace

Integer FindCode128Value(TCode128Set set, const AnsiString& token) {
    return Texts(set).value.value(token, -1);
}

std::vector<AnsiString> ReadCode128Tokens(const AnsiString& caption) {
    std::vector<AnsiString> tokens;
    const qsizetype n = caption.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = caption[i];
        if (c == '<' && i + 1 < n && caption[i + 1] == '<') {
            tokens.push_back("<");
            ++i;
        } else if (c == '<') {
            // The first character after "<" always belongs to the name.
            qsizetype end = i + 2;
            while (end < n && caption[end] != '>') ++end;
            tokens.push_back(caption.mid(i + 1, std::min(end, n) - i - 1).toUpper());
            i = end;
        } else if (c == '>') {
            tokens.push_back(caption.mid(i + 1, 1));
            ++i;
        } else {
            tokens.push_back(AnsiString(1, c));
        }
    }
    return tokens;
}

AnsiString EncodeCODE128(TBarEncoding& e) {
    if (e.Caption.isEmpty()) return {};
    const char start = e.StartChar >= 'a' && e.StartChar <= 'z' ? char(e.StartChar - 'a' + 'A') : e.StartChar;
    TCode128Set set = start == 'B' ? csSetB : start == 'C' ? csSetC : csSetA;
    if (start != 'B' && start != 'C' && start != 'A') e.StartChar = 'A';
    Integer sum = 103 + set;
    AnsiString out = StartPatterns[set];
    Integer position = 0;
    bool remembered = false;
    TCode128Set back = csSetA;
    for (const AnsiString& token : ReadCode128Tokens(e.Caption)) {
        const Integer v = FindCode128Value(set, token);
        if (v < 0) return {};
        // Reduced as it goes, so no length of caption overflows the sum.
        sum = (sum + v * (++position % 103)) % 103;
        out += Patterns[v];
        if (token == "SHIFT") {
            remembered = true;
            back = set;
            set = set == csSetA ? csSetB : csSetA;
        } else if (token == "CODEA" || token == "CODEB" || token == "CODEC") {
            set = TCode128Set(token[4] - 'A');
        } else if (remembered) {
            set = back;
            remembered = false;
        }
    }
    const Integer check = sum % 103;
    out += Patterns[check];
    out += StopPattern;
    e.Symbol = e.SymbolCdDisp ? e.StartChar + e.Caption + TokenText(Texts(set).text[check]) : e.Caption;
    e.CheckValue = check;
    return out;
}
