// Code pages, locale, MulDiv and Sleep. The key-state tracker and the system
// metrics live in their own sources.
#include "Windows.h"

#include <cerrno>
#include <chrono>
#include <iconv.h>
#include <thread>

namespace {

// One iconv descriptor per direction and thread, opened on first use.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != iconv_t(-1); }
    // Converts as much as it can; returns errno of the stop, 0 when done.
    int convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        const size_t r = iconv(cd_, const_cast<char**>(&in), &inLeft, &out, &outLeft);
        return r == size_t(-1) ? errno : 0;
    }

private:
    iconv_t cd_;
};

IconvHandle& toCp932() {
    thread_local IconvHandle h("CP932", "UTF-16LE");
    return h;
}

IconvHandle& fromCp932() {
    thread_local IconvHandle h("UTF-16LE", "CP932");
    return h;
}

bool isHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool isTrailByte(Byte b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

}  // namespace

Cardinal GetACP() { return CP_932; }
Cardinal GetOEMCP() { return CP_932; }
Cardinal GetUserDefaultLCID() { return LOCALE_JAPANESE; }
Cardinal GetSystemDefaultLCID() { return LOCALE_JAPANESE; }

bool IsDBCSLeadByte(Byte b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Each code point CP932 cannot hold becomes one '?': a surrogate pair is
// one code point, a lone surrogate counts as one too.
AnsiString WideToAnsi(const QString& s) {
    IconvHandle& cv = toCp932();
    AnsiString result(s.size() * 2, Qt::Uninitialized);
    const char16_t* units = reinterpret_cast<const char16_t*>(s.utf16());
    const char* in = reinterpret_cast<const char*>(units);
    size_t inLeft = size_t(s.size()) * 2;
    char* out = result.data();
    size_t outLeft = size_t(result.size());
    while (inLeft > 0) {
        if (cv.valid() && cv.convert(in, inLeft, out, outLeft) == 0) break;
        const char16_t* unit = reinterpret_cast<const char16_t*>(in);
        const bool pair = inLeft >= 4 && isHighSurrogate(unit[0]) && isLowSurrogate(unit[1]);
        const size_t skip = pair ? 4 : 2;
        in += skip;
        inLeft -= skip;
        *out++ = '?';
        --outLeft;
    }
    result.truncate(out - result.data());
    return result;
}

// A byte sequence CP932 does not define becomes U+FFFD (a lead byte with a
// trail byte counts as one character); a lead byte cut off at the end
// becomes '?'.
QString AnsiToWide(const AnsiString& s) {
    IconvHandle& cv = fromCp932();
    QString result(s.size(), Qt::Uninitialized);
    const char* in = s.constData();
    size_t inLeft = size_t(s.size());
    char* out = reinterpret_cast<char*>(result.data());
    size_t outLeft = size_t(result.size()) * 2;
    while (inLeft > 0) {
        const int err = cv.valid() ? cv.convert(in, inLeft, out, outLeft) : EILSEQ;
        if (err == 0) break;
        const Byte lead = Byte(in[0]);
        char16_t replacement = u'\uFFFD';
        size_t skip = 1;
        if (IsDBCSLeadByte(lead)) {
            if (inLeft == 1) replacement = u'?';
            else if (isTrailByte(Byte(in[1]))) skip = 2;
        }
        in += skip;
        inLeft -= skip;
        *reinterpret_cast<char16_t*>(out) = replacement;
        out += 2;
        outLeft -= 2;
    }
    result.truncate((out - reinterpret_cast<char*>(result.data())) / 2);
    return result;
}

Integer MulDiv(Integer a, Integer b, Integer c) {
    if (c == 0) return -1;
    const Int64 product = Int64(a) * b;
    Int64 q = product / c;
    const Int64 r = product % c;
    // Halves away from zero: compare twice the remainder with the divisor.
    const Int64 twiceR = r < 0 ? -2 * r : 2 * r;
    const Int64 absC = c < 0 ? -Int64(c) : Int64(c);
    if (twiceR >= absC) q += ((product < 0) != (c < 0)) ? -1 : 1;
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return Integer(q);
}

void Sleep(Cardinal milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
