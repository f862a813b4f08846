// The barcode encoders: the human-readable symbols and check values of the
// worked examples, the structure of the element strings, the token readers,
// and the postal manual's customer barcodes. Scanner round trips of the
// drawn symbols are in the image's tests.
#include "CBarCode.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

TBarEncoding Caption(const char* caption, bool cd = false, bool cdDisp = false) {
    TBarEncoding e;
    e.Caption = caption;
    e.CD = cd;
    e.SymbolCdDisp = cdDisp;
    return e;
}

// Modules of an element string as '1' (dark) and '0' (light).
std::string Modules(const AnsiString& elements) {
    std::string modules;
    for (char d : elements) modules.append(size_t((d - '0') / 2 + 1), (d - '0') % 2 ? '1' : '0');
    return modules;
}

int WideCount(const AnsiString& elements) {
    int wide = 0;
    for (char d : elements) wide += d >= '2';
    return wide;
}

// The part of an element string between a known start and stop.
AnsiString Between(const AnsiString& elements, const char* start, const char* stop) {
    EXPECT_TRUE(elements.startsWith(start)) << elements.constData();
    EXPECT_TRUE(elements.endsWith(stop)) << elements.constData();
    return elements.mid(qstrlen(start), elements.size() - qstrlen(start) - qstrlen(stop));
}

}  // namespace

// ------------------------------------------------------------ EAN / UPC

TEST(BarcodeEncoders, JanAppendsItsCheckDigitAndGuards) {
    TBarEncoding e = Caption("490123456789");
    const AnsiString elements = EncodeJAN(e);
    EXPECT_EQ(e.Symbol, "4901234567894");
    EXPECT_EQ(e.CheckValue, 4);
    ASSERT_EQ(elements.size(), 3 + 42 + 5 + 42 + 4);
    EXPECT_TRUE(elements.startsWith("101"));
    EXPECT_EQ(elements.mid(45, 5), "01010");
    EXPECT_TRUE(elements.endsWith("1010"));
    // Every digit is seven modules of two bars and two spaces: the
    // right-hand digits start dark, the left-hand ones light.
    for (int i = 0; i < 12; ++i) {
        const AnsiString digit = elements.mid(i < 6 ? 3 + 7 * i : 50 + 7 * (i - 6), 7);
        EXPECT_EQ(digit[0], i < 6 ? '0' : '1') << i;
        EXPECT_EQ(digit[6], i < 6 ? '1' : '0') << i;
    }

    TBarEncoding ean8 = Caption("1234567");
    EXPECT_EQ(EncodeJAN(ean8).size(), 3 + 28 + 5 + 28 + 4);
    EXPECT_EQ(ean8.Symbol, "12345670");

    for (const char* bad : {"4901234567894", "49012345678A", "", "123456"}) {
        TBarEncoding fail = Caption(bad);
        EXPECT_TRUE(EncodeJAN(fail).isEmpty()) << bad;
        EXPECT_TRUE(fail.Symbol.isEmpty());
        EXPECT_EQ(fail.CheckValue, -1);
    }
}

TEST(BarcodeEncoders, JanLeadingDigitSetsTheParityOfTheLeftHalf) {
    // The six left-hand digits of EAN-13 carry the leading digit in their
    // parities (odd number of dark modules: set A); each leading digit has
    // its own parity pattern, and 0 has all six odd.
    std::set<std::string> patterns;
    for (char lead = '0'; lead <= '9'; ++lead) {
        TBarEncoding e = Caption(QByteArray(1, lead).append("12345678901").constData());
        const AnsiString elements = EncodeJAN(e);
        ASSERT_FALSE(elements.isEmpty());
        std::string parity;
        for (int i = 0; i < 6; ++i) parity += elements.mid(3 + 7 * i, 7).count('1') % 2 ? 'A' : 'B';
        EXPECT_EQ(parity[0], 'A');
        if (lead == '0') {
            EXPECT_EQ(parity, "AAAAAA");
        }
        patterns.insert(parity);
    }
    EXPECT_EQ(patterns.size(), 10u);
}

TEST(BarcodeEncoders, UpcAAndUpcE) {
    TBarEncoding upca = Caption("03600029145");
    EXPECT_EQ(EncodeUPC(upca).size(), 95 + 1);
    EXPECT_EQ(upca.Symbol, "036000291452");
    EXPECT_EQ(upca.CheckValue, 2);

    // UPC-E is checked over its expansion; its parity pattern carries the
    // check digit (EOOEEO for 5: even parity is set B).
    TBarEncoding upce = Caption("0123450");
    const AnsiString elements = EncodeUPC(upce);
    EXPECT_EQ(upce.Symbol, "01234505");
    EXPECT_EQ(upce.CheckValue, 5);
    ASSERT_EQ(elements.size(), 3 + 42 + 7);
    EXPECT_TRUE(elements.endsWith("0101010"));
    std::string parity;
    for (int i = 0; i < 6; ++i) parity += elements.mid(3 + 7 * i, 7).count('1') % 2 ? 'O' : 'E';
    EXPECT_EQ(parity, "EOOEEO");

    for (const char* bad : {"1123450", "0123505", "0360002914", "0360002914A"}) {
        TBarEncoding fail = Caption(bad);
        EXPECT_TRUE(EncodeUPC(fail).isEmpty()) << bad;
    }
}

TEST(BarcodeEncoders, UpcConversionsAreInverse) {
    EXPECT_EQ(UPCAToUPCE("01200000345"), "0123450");
    EXPECT_EQ(UPCEToUPCA("0123450"), "01200000345");
    EXPECT_EQ(UPCEToUPCA("0123505"), "");
    EXPECT_EQ(UPCAToUPCE("11200000345"), "");
    EXPECT_EQ(UPCAToUPCE("0120000034"), "");
    // Every UPC-E number expands to a UPC-A number that compresses back to
    // it, and every compressible UPC-A number expands back to itself.
    std::mt19937 rng(17);
    int compressed = 0;
    for (int n = 0; n < 20000; ++n) {
        AnsiString e = "0";
        for (int i = 0; i < 6; ++i) e += char('0' + rng() % 10);
        const AnsiString a = UPCEToUPCA(e);
        if (a.isEmpty()) continue;
        EXPECT_EQ(a.size(), 11);
        EXPECT_EQ(UPCAToUPCE(a), e) << e.constData();
        // The same number with zeros spread differently.
        AnsiString b = a;
        b[1 + rng() % 10] = char('0' + rng() % 10);
        const AnsiString be = UPCAToUPCE(b);
        if (!be.isEmpty()) {
            EXPECT_EQ(UPCEToUPCA(be), b) << b.constData();
            ++compressed;
        }
    }
    EXPECT_GT(compressed, 100);
}

// ------------------------------------------------------------ two of five

TEST(BarcodeEncoders, TwoOfFiveSymbolsAndChecks) {
    struct Case {
        AnsiString (*encode)(TBarEncoding&);
        const char* caption;
        bool cd;
        const char* symbol;
        int check;
    };
    const Case cases[] = {
        {EncodeITF, "123", false, "0123", -1},  {EncodeITF, "123", true, "1236", 6},
        {EncodeITF, "1234", true, "012348", 8}, {EncodeIATA, "123", false, "1236", 6},
        {EncodeCTF, "123", false, "123", -1},   {EncodeMATRIX, "123", true, "1236", 6},
        {EncodeNEC, "123", false, "123", -1},
    };
    for (const Case& c : cases) {
        TBarEncoding e = Caption(c.caption, c.cd);
        EXPECT_FALSE(c.encode(e).isEmpty()) << c.caption;
        EXPECT_EQ(e.Symbol, c.symbol) << c.caption;
        EXPECT_EQ(e.CheckValue, c.check) << c.caption;
    }
    for (auto encode : {EncodeITF, EncodeCTF, EncodeIATA, EncodeMATRIX, EncodeNEC}) {
        for (const char* bad : {"12A", "", "1 2"}) {
            TBarEncoding e = Caption(bad, true);
            EXPECT_TRUE(encode(e).isEmpty()) << bad;
        }
    }
}

TEST(BarcodeEncoders, TwoOfFiveElementsOfTheWorkedExamples) {
    TBarEncoding e = Caption("0");
    EXPECT_EQ(EncodeCTF(e), "303010" "1010303010" "30103");
    EXPECT_EQ(EncodeMATRIX(e), "301010" "103210" "30101");
    EXPECT_EQ(EncodeNEC(e), "3030" "321010" "123");
    e = Caption("12");
    EXPECT_EQ(EncodeITF(e), "1010" "3012101032" "301");
    // IATA: the digits as industrial, its check digit (0) always there.
    e = Caption("0");
    EXPECT_EQ(EncodeIATA(e), "1010" "1010303010" "1010303010" "301");
}

TEST(BarcodeEncoders, TwoOfFiveDigitsAreTwoWideOfFiveAndDistinct) {
    // Industrial and NEC each give every digit its own pattern of exactly two
    // wide elements; interleaved pairs hold the first digit in the bars and
    // the second in the spaces.
    for (auto encode : {EncodeCTF, EncodeMATRIX, EncodeNEC}) {
        std::set<QByteArray> seen;
        for (char d = '0'; d <= '9'; ++d) {
            TBarEncoding e = Caption(QByteArray(1, d).constData());
            const AnsiString elements = encode(e);
            const qsizetype startLength = encode == EncodeCTF ? 6 : encode == EncodeMATRIX ? 6 : 4;
            const qsizetype stopLength = encode == EncodeCTF ? 5 : 3 + (encode == EncodeMATRIX ? 2 : 0);
            const AnsiString digit = elements.mid(startLength, elements.size() - startLength - stopLength);
            EXPECT_EQ(WideCount(digit), 2) << d;
            seen.insert(digit);
        }
        EXPECT_EQ(seen.size(), 10u);
    }
    for (char a = '0'; a <= '9'; ++a) {
        for (char b = '0'; b <= '9'; ++b) {
            TBarEncoding e = Caption(QByteArray(1, a).append(b).constData());
            const AnsiString pair = Between(EncodeITF(e), "1010", "301");
            ASSERT_EQ(pair.size(), 10);
            int wideBars = 0;
            int wideSpaces = 0;
            for (int k = 0; k < 10; ++k) (k % 2 ? wideSpaces : wideBars) += pair[k] >= '2';
            EXPECT_EQ(wideBars, 2);
            EXPECT_EQ(wideSpaces, 2);
        }
    }
}

// ------------------------------------------------------------ CODE39, NW7, CODE93

TEST(BarcodeEncoders, Code39) {
    TBarEncoding e = Caption("ABC", true, true);
    const AnsiString elements = EncodeCODE39(e);
    EXPECT_EQ(e.Symbol, "*ABCX*");
    EXPECT_EQ(e.CheckValue, 33);
    // Start, three characters, the check and the stop: ten elements each,
    // three of the nine wide, the tenth the narrow gap.
    ASSERT_EQ(elements.size(), 6 * 10);
    std::set<QByteArray> seen;
    for (int i = 0; i < 6; ++i) {
        const AnsiString c = elements.mid(10 * i, 10);
        EXPECT_EQ(WideCount(c), 3);
        EXPECT_EQ(c[9], '0');
        seen.insert(c);
    }
    EXPECT_EQ(seen.size(), 5u);  // the start and stop are the same
    e.SymbolCdDisp = false;
    EncodeCODE39(e);
    EXPECT_EQ(e.Symbol, "*ABC*");
    e.CD = false;
    EncodeCODE39(e);
    EXPECT_EQ(e.CheckValue, 33);  // left from before: without CD none is computed
    TBarEncoding fresh = Caption("ABC");
    EncodeCODE39(fresh);
    EXPECT_EQ(fresh.CheckValue, -1);
    for (const char* bad : {"abc", "A*B", ""}) {
        TBarEncoding fail = Caption(bad);
        EXPECT_TRUE(EncodeCODE39(fail).isEmpty()) << bad;
    }
}

TEST(BarcodeEncoders, Nw7StartStopAndCheck) {
    TBarEncoding e = Caption("123", true, true);
    const AnsiString elements = EncodeNW7(e);
    EXPECT_EQ(e.Symbol, "a123-a");
    EXPECT_EQ(e.CheckValue, 10);
    EXPECT_EQ(elements.size(), 6 * 8);
    EXPECT_TRUE(elements.startsWith("10321210"));  // "A"
    e.SymbolCharCase = scUpperCase;
    EncodeNW7(e);
    EXPECT_EQ(e.Symbol, "A123-A");
    EXPECT_EQ(e.StartChar, 'A');
    // A..D may stand inside the data.
    TBarEncoding inside = Caption("12A34");
    EXPECT_FALSE(EncodeNW7(inside).isEmpty());
    TBarEncoding bad = Caption("12a34");
    EXPECT_TRUE(EncodeNW7(bad).isEmpty());
}

TEST(BarcodeEncoders, Code93ChecksAndShiftTokens) {
    TBarEncoding e = Caption("TEST93", false, true);
    const AnsiString elements = EncodeCODE93(e);
    EXPECT_EQ(e.Symbol, "(TEST93+6)");
    EXPECT_EQ(e.CheckValue, 641);
    // Start, six characters, C, K, stop: nine modules each, one more at the end.
    EXPECT_EQ(Modules(elements).size(), size_t(9 * 10 + 1));
    e.SymbolCdDisp = false;
    EncodeCODE93(e);
    EXPECT_EQ(e.Symbol, "TEST93");

    std::vector<Integer> values;
    ASSERT_TRUE(ReadCode93Values("<$>A", values));
    EXPECT_EQ(values, (std::vector<Integer>{43, 10}));
    ASSERT_TRUE(ReadCode93Values("<%></><+>", values));
    EXPECT_EQ(values, (std::vector<Integer>{44, 45, 46}));
    for (const char* bad : {"<x>", "<$", "a", "<", "<$x", "A!", ""}) {
        EXPECT_FALSE(ReadCode93Values(bad, values)) << bad;
        TBarEncoding fail = Caption(bad);
        EXPECT_TRUE(EncodeCODE93(fail).isEmpty()) << bad;
        EXPECT_EQ(fail.CheckValue, -1);
    }
}

// ------------------------------------------------------------ CODE128

TEST(BarcodeEncoders, Code128WorkedExamples) {
    TBarEncoding b = Caption("ABC", false, true);
    b.StartChar = 'b';
    const AnsiString elements = EncodeCODE128(b);
    EXPECT_EQ(b.Symbol, "bABC!");
    EXPECT_EQ(b.CheckValue, 1);
    // Start, three values, check: eleven modules each, and the stop's 13.
    EXPECT_EQ(Modules(elements).size(), size_t(5 * 11 + 13));
    EXPECT_TRUE(elements.startsWith("301216"));
    EXPECT_TRUE(elements.endsWith("3450103"));

    TBarEncoding c = Caption("<12><34>", false, true);
    c.StartChar = 'c';
    EncodeCODE128(c);
    EXPECT_EQ(c.Symbol, "c<12><34><82>");
    EXPECT_EQ(c.CheckValue, 82);

    // SHIFT reads one token in the other set: A (33), SHIFT (98), b (66 in
    // set B), C (35, back in set A).
    TBarEncoding shift = Caption("A<SHIFT>bC");
    shift.StartChar = 'A';
    EncodeCODE128(shift);
    EXPECT_EQ(shift.CheckValue, (103 + 33 * 1 + 98 * 2 + 66 * 3 + 35 * 4) % 103);

    // Any start other than A, B, C gives set A, and StartChar reads "A".
    TBarEncoding d = Caption("AB");
    d.StartChar = 'D';
    EXPECT_FALSE(EncodeCODE128(d).isEmpty());
    EXPECT_EQ(d.StartChar, 'A');
    EXPECT_TRUE(EncodeCODE128(d).startsWith("301612"));
}

TEST(BarcodeEncoders, Code128SetsHoldTheirOwnTokens) {
    EXPECT_EQ(FindCode128Value(csSetB, "a"), 65);
    EXPECT_EQ(FindCode128Value(csSetA, "a"), -1);
    EXPECT_EQ(FindCode128Value(csSetA, "ENO"), 69);
    EXPECT_EQ(FindCode128Value(csSetA, "ENQ"), -1);
    EXPECT_EQ(FindCode128Value(csSetB, "`"), 64);
    EXPECT_EQ(FindCode128Value(csSetB, "DEL"), 95);
    EXPECT_EQ(FindCode128Value(csSetC, "07"), 7);
    EXPECT_EQ(FindCode128Value(csSetC, "7"), -1);
    EXPECT_EQ(FindCode128Value(csSetC, "SHIFT"), -1);
    EXPECT_EQ(FindCode128Value(csSetA, "CODEA"), -1);
    EXPECT_EQ(FindCode128Value(csSetB, "CODEB"), -1);
    EXPECT_EQ(FindCode128Value(csSetC, "CODEC"), -1);
    // The three function characters that all sets share.
    for (TCode128Set set : {csSetA, csSetB, csSetC}) EXPECT_EQ(FindCode128Value(set, "FNC1"), 102);
    // Every value has a text in each set, so every value can be encoded.
    for (TCode128Set set : {csSetA, csSetB, csSetC}) {
        std::set<Integer> values;
        for (int c = 0; c < 256; ++c) {
            const Integer v = FindCode128Value(set, AnsiString(1, char(c)));
            if (v >= 0) values.insert(v);
        }
        EXPECT_EQ(values.size(), set == csSetA ? 64u : set == csSetB ? 95u : 0u);
    }
    for (const char* bad : {"1234", "a", "<XYZ>", "<ENQ>", "AB<", "AB>", "<CODEA>"}) {
        TBarEncoding e = Caption(bad);
        e.StartChar = bad[0] == '1' ? 'C' : 'A';
        EXPECT_TRUE(EncodeCODE128(e).isEmpty()) << bad;
        EXPECT_EQ(e.CheckValue, -1);
    }
}

TEST(BarcodeEncoders, Code128TokenReader) {
    using Tokens = std::vector<AnsiString>;
    EXPECT_EQ(ReadCode128Tokens("<<"), Tokens{"<"});
    EXPECT_EQ(ReadCode128Tokens(">>"), Tokens{">"});
    EXPECT_EQ(ReadCode128Tokens(">x"), Tokens{"x"});
    EXPECT_EQ(ReadCode128Tokens("<fnc1>A"), (Tokens{"FNC1", "A"}));
    EXPECT_EQ(ReadCode128Tokens("<12><34>"), (Tokens{"12", "34"}));
    EXPECT_EQ(ReadCode128Tokens("a<shift"), (Tokens{"a", "SHIFT"}));
    // A "<" or ">" ending the caption is a token no set holds.
    EXPECT_EQ(ReadCode128Tokens("A<"), (Tokens{"A", ""}));
    EXPECT_EQ(ReadCode128Tokens("A>"), (Tokens{"A", ""}));
    // The first character after "<" belongs to the name, even a ">".
    EXPECT_EQ(ReadCode128Tokens("<>>"), Tokens{">"});
    EXPECT_TRUE(ReadCode128Tokens("").empty());
}

// ------------------------------------------------------------ customer barcode

namespace {

// The postal table, position digits by symbol value (CC1..CC8 are 11..18).
const char* const PostalSymbols[19] = {"702020", "707020", "703060", "307060", "706030", "702070", "306070",
                                       "607030", "603070", "207070", "207020", "306020", "302060", "603020",
                                       "203060", "602030", "206030", "202070", "707070"};

// The values of the data and check symbols of an element string.
std::vector<int> PostalValues(const AnsiString& elements) {
    const AnsiString body = Between(elements, "007030", "307000");
    std::vector<int> values;
    for (qsizetype i = 0; i + 6 <= body.size(); i += 6) {
        int value = -1;
        for (int v = 0; v < 19; ++v)
            if (body.mid(i, 6) == PostalSymbols[v]) value = v;
        values.push_back(value);
    }
    return values;
}

int Sum(const std::vector<int>& values, size_t count) {
    int sum = 0;
    for (size_t i = 0; i < count; ++i) sum += values[i];
    return sum;
}

}  // namespace

TEST(BarcodeEncoders, CustomerBarcodeOfThePostalExamples) {
    TBarEncoding e = Caption("10000131-3-2-503");
    std::vector<int> values = PostalValues(EncodeCUSTOMER(e));
    EXPECT_EQ(e.CheckValue, 9);
    EXPECT_EQ(e.Symbol, "10000131-3-2-5039");
    ASSERT_EQ(values.size(), 21u);
    EXPECT_EQ(values[20], 9);
    EXPECT_EQ((Sum(values, 21)) % 19, 0);

    // A letter in the 20th place keeps its control code, and the rest of
    // the caption is cut: "... 2 5 CC1 9 1 - 2 CC1".
    TBarEncoding letters = Caption("91000673-80-25J1-2B");
    values = PostalValues(EncodeCUSTOMER(letters));
    ASSERT_EQ(values.size(), 21u);
    const std::vector<int> data(values.begin(), values.begin() + 20);
    EXPECT_EQ(data, (std::vector<int>{9, 1, 0, 0, 0, 6, 7, 3, 10, 8, 0, 10, 2, 5, 11, 9, 1, 10, 2, 11}));
    EXPECT_EQ(Sum(values, 21) % 19, 0);
    EXPECT_EQ(letters.CheckValue, values[20]);
}

TEST(BarcodeEncoders, CustomerBarcodeAlwaysHoldsTwentyDataSymbols) {
    struct Case {
        const char* caption;
        int check;
    };
    // "abc" has no symbol of its own: twenty CC4 (sum 280).
    for (const Case& c : {Case{"1234567", 18}, Case{"1A", 16}, Case{"263-0023", 15}, Case{"abc", 5}}) {
        TBarEncoding e = Caption(c.caption);
        const std::vector<int> values = PostalValues(EncodeCUSTOMER(e));
        ASSERT_EQ(values.size(), 21u) << c.caption;
        EXPECT_EQ(e.CheckValue, c.check) << c.caption;
        EXPECT_EQ(values[20], c.check);
        EXPECT_EQ(Sum(values, 21) % 19, 0) << c.caption;
    }
    TBarEncoding padded = Caption("1234567");
    EncodeCUSTOMER(padded);
    EXPECT_EQ(padded.Symbol, "1234567 ");
    EXPECT_EQ(PostalValues(EncodeCUSTOMER(padded))[7], 14);  // CC4

    // Nineteen digits and a letter: the letter's control code is the 20th.
    TBarEncoding last = Caption("1234567890123456789A");
    EXPECT_EQ(PostalValues(EncodeCUSTOMER(last))[19], 11);
    // Skipped characters take no place: the digits after them are read.
    TBarEncoding skipped = Caption("abc12345678901234567890");
    const std::vector<int> values = PostalValues(EncodeCUSTOMER(skipped));
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[19], 0);
    // Random text never gives anything but 20 data symbols and a valid check.
    std::mt19937 rng(5);
    for (int n = 0; n < 2000; ++n) {
        AnsiString text;
        const int length = int(rng() % 30);
        for (int i = 0; i < length; ++i) text += char(32 + rng() % 95);
        TBarEncoding r;
        r.Caption = text;
        const std::vector<int> v = PostalValues(EncodeCUSTOMER(r));
        ASSERT_EQ(v.size(), 21u) << text.constData();
        for (int x : v) ASSERT_GE(x, 0) << text.constData();
        EXPECT_EQ(Sum(v, 21) % 19, 0);
    }
}
