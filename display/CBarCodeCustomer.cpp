// The postal customer barcode: a 4-state code of 20 data symbols and a
// check symbol between start and stop. One element digit per position:
// 7 long bar, 6 upper semi-long, 3 lower semi-long, 2 timing bar, 0 none.
#include "CBarCodeEncoding.h"

using namespace CBarCode;

namespace {

// Values 0-9 the digits, 10 "-", 11-18 the control codes CC1..CC8.
const char* const Symbols[19] = {"702020", "707020", "703060", "307060", "706030", "702070", "306070",
                                 "607030", "603070", "207070", "207020", "306020", "302060", "603020",
                                 "203060", "602030", "206030", "202070", "707070"};
const char* const Start = "007030";
const char* const Stop = "307000";
constexpr Integer DataSymbols = 20;
constexpr Integer Hyphen = 10;
constexpr Integer CC1 = 11;
constexpr Integer CC4 = 14;  // a blank, and the padding

// Human-readable form of a check value: digit, "-" or a blank.
char CheckChar(Integer check) { return check < 10 ? char('0' + check) : check == Hyphen ? '-' : ' '; }

}  // namespace

AnsiString EncodeCUSTOMER(TBarEncoding& e) {
    std::vector<Integer> values;
    auto room = [&] { return DataSymbols - Integer(values.size()); };
    // Characters are read until the 20 symbols are full; characters without
    // a symbol take no place.
    for (qsizetype i = 0; i < e.Caption.size() && room() > 0; ++i) {
        const char c = e.Caption[i];
        if (IsDigit(c)) {
            values.push_back(c - '0');
        } else if (c == '-') {
            values.push_back(Hyphen);
        } else if (c == ' ') {
            values.push_back(CC4);
        } else if (c >= 'A' && c <= 'Z') {
            // A letter is a control code and a digit; in the last place only
            // its control code fits, and the rest is cut.
            const Integer k = c - 'A';
            values.push_back(CC1 + k / 10);
            if (room() > 0) values.push_back(k % 10);
        }
    }
    while (room() > 0) values.push_back(CC4);
    Integer sum = 0;
    for (Integer v : values) sum += v;
    const Integer check = (19 - sum % 19) % 19;
    AnsiString out = Start;
    for (Integer v : values) out += Symbols[v];
    out += Symbols[check];
    out += Stop;
    e.Symbol = e.Caption + CheckChar(check);
    e.CheckValue = check;
    return out;
}
