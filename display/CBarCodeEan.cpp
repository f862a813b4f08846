// EAN-13, EAN-8, UPC-A and UPC-E: one element digit per module ("1" dark).
#include "CBarCodeEncoding.h"

#include <cstring>

using namespace CBarCode;

namespace {

// Number set A (odd parity), B (even parity) and C, indexed by digit.
const char* const SetA[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                              "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const SetB[10] = {"0100111", "0110011", "0011011", "0100001", "0011101",
                              "0111001", "0000101", "0010001", "0001001", "0010111"};
const char* const SetC[10] = {"1110010", "1100110", "1101100", "1000010", "1011100",
                              "1001110", "1010000", "1000100", "1001000", "1110100"};

// Sets of the six left-hand EAN-13 digits by the leading digit ('A' or 'B').
const char* const LeadingParity[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                       "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
// Sets of the six UPC-E digits by the check digit (number system 0).
const char* const UpceParity[10] = {"BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA",
                                    "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB"};

const char* const StartGuide = "101";
const char* const CentreGuide = "01010";
const char* const EndGuide = "1010";      // the guide and one light module
const char* const UpceEndGuide = "0101010";

// digits[from..to) from the sets that parity names, or all from set when
// parity is nil.
void AppendDigits(AnsiString& out, const AnsiString& digits, qsizetype from, qsizetype to,
                  const char* parity, const char* const* set) {
    for (qsizetype i = from; i < to; ++i) {
        const Integer d = digits[i] - '0';
        if (parity) out += parity[i - from] == 'A' ? SetA[d] : SetB[d];
        else out += set[d];
    }
}

// Guards and digits of a symbol with a left and a right half.
AnsiString TwoHalves(const AnsiString& digits, qsizetype first, const char* parity) {
    const qsizetype middle = first + (digits.size() - first) / 2;
    AnsiString out = StartGuide;
    AppendDigits(out, digits, first, middle, parity, SetA);
    out += CentreGuide;
    AppendDigits(out, digits, middle, digits.size(), nullptr, SetC);
    out += EndGuide;
    return out;
}

}  // namespace

AnsiString EncodeJAN(TBarEncoding& e) {
    const AnsiString& caption = e.Caption;
    if ((caption.size() != 7 && caption.size() != 12) || !AllDigits(caption)) return {};
    const Integer check = Modulo10Check(caption);
    const AnsiString digits = caption + char('0' + check);
    const AnsiString elements = digits.size() == 13 ? TwoHalves(digits, 1, LeadingParity[digits[0] - '0'])
                                                    : TwoHalves(digits, 0, nullptr);
    e.Symbol = digits;
    e.CheckValue = check;
    return elements;
}

AnsiString EncodeUPC(TBarEncoding& e) {
    const AnsiString& caption = e.Caption;
    if ((caption.size() != 7 && caption.size() != 11) || !AllDigits(caption)) return {};
    const AnsiString upca = caption.size() == 11 ? caption : UPCEToUPCA(caption);
    if (upca.isEmpty()) return {};
    const Integer check = Modulo10Check(upca);
    const AnsiString digits = caption + char('0' + check);
    AnsiString elements;
    if (digits.size() == 12) {
        elements = TwoHalves(digits, 0, nullptr);
    } else {
        elements = StartGuide;
        AppendDigits(elements, digits, 1, 7, UpceParity[check], SetA);
        elements += UpceEndGuide;
    }
    e.Symbol = digits;
    e.CheckValue = check;
    return elements;
}

AnsiString UPCAToUPCE(const AnsiString& a) {
    if (a.size() != 11 || a[0] != '0') return {};
    auto zeros = [&](qsizetype from, qsizetype to) {  // a_from .. a_to, counting from 1
        for (qsizetype i = from; i <= to; ++i)
            if (a[i - 1] != '0') return false;
        return true;
    };
    auto in = [](char c, const char* set) { return c != 0 && std::strchr(set, c) != nullptr; };
    if (zeros(7, 10) && a[5] != '0' && in(a[10], "56789")) return a.left(6) + a[10];
    if (zeros(6, 10) && a[4] != '0') return a.left(5) + a[10] + '4';
    if (zeros(5, 9) && in(a[3], "3456789")) return a.left(4) + a[9] + a[10] + '3';
    if (zeros(5, 8) && in(a[3], "012")) return a.left(3) + a.mid(8, 3) + a[3];
    return {};
}

AnsiString UPCEToUPCA(const AnsiString& e) {
    if (e.size() != 7 || e[0] != '0') return {};
    const char last = e[6];
    if (last >= '5' && last <= '9' && e[5] != '0') return e.left(6) + "0000" + last;
    if (last == '4' && e[4] != '0') return e.left(5) + "00000" + e[5];
    if (last == '3' && e[3] >= '3' && e[3] <= '9') return e.left(4) + "00000" + e.mid(4, 2);
    if (last >= '0' && last <= '2') return e.left(3) + last + "0000" + e.mid(3, 3);
    return {};
}
