#include "ui/controls/list_sort.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstring>

namespace {

bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

template <class T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Days from 1970-01-01 to the given proleptic Gregorian date.
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return days[m - 1];
}

struct Cursor {
    std::string_view t;
    size_t p = 0;

    bool Digits(size_t minCount, size_t maxCount, int* out) {
        size_t count = 0;
        int v = 0;
        while (p < t.size() && count < maxCount && t[p] >= '0' && t[p] <= '9') {
            v = v * 10 + (t[p] - '0');
            ++p;
            ++count;
        }
        *out = v;
        return count >= minCount;
    }
    bool Colon() {
        if (p < t.size() && t[p] == ':') {
            ++p;
            return true;
        }
        if (t.substr(p, 3) == "\xEF\xBC\x9A") {  // full-width colon
            p += 3;
            return true;
        }
        return false;
    }
    bool Time(int64_t* seconds) {
        int h = 0, m = 0, s = 0;
        if (!Digits(1, 2, &h) || !Colon() || !Digits(2, 2, &m)) return false;
        if (p < t.size() && (!Colon() || !Digits(2, 2, &s))) return false;
        if (p != t.size() || h > 23 || m > 59 || s > 59) return false;
        *seconds = h * 3600 + m * 60 + s;
        return true;
    }
};

enum class Decimal { Read, NotANumber, Unsure };

// Plain decimals ([+-]digits[.digits][%], at most 15 digits) without calling strtod: the
// digits make an exact integer and a power of ten up to 1e15 is exact, so one division
// gives the correctly rounded value strtod gives. A text that stops being a plain decimal
// where strtod would stop too (no exponent, no hex or word form) is no number at all, as
// "2007_05_03"; anything else is left to strtod.
Decimal FastDecimal(std::string_view t, double* value) {
    static const double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    size_t p = 0;
    const bool negative = p < t.size() && t[p] == '-';
    if (p < t.size() && (t[p] == '-' || t[p] == '+')) ++p;
    uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    bool point = false;
    for (; p < t.size(); ++p) {
        const char c = t[p];
        if (c >= '0' && c <= '9') {
            if (++digits > 15) return Decimal::Unsure;
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            fraction += point;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return Decimal::Unsure;
    if (p != t.size() && !(p + 1 == t.size() && t[p] == '%')) {
        const char stop = t[p];
        const bool strtodReadsOn = stop == 'e' || stop == 'E' || stop == 'x' || stop == 'X';
        return strtodReadsOn ? Decimal::Unsure : Decimal::NotANumber;
    }
    const double v = static_cast<double>(mantissa) / kPow10[fraction];
    *value = negative ? -v : v;
    return Decimal::Read;
}

struct Gb18030Converter {
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    ~Gb18030Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
};

}  // namespace

bool ParseCellHex32(std::string_view t, uint32_t* value) {
    size_t p = 0;
    const size_t n = t.size();
    while (p < n && IsCSpace(t[p])) ++p;
    bool negative = false;
    if (p < n && (t[p] == '+' || t[p] == '-')) negative = t[p++] == '-';
    if (p + 2 < n && t[p] == '0' && (t[p + 1] == 'x' || t[p + 1] == 'X') && HexDigit(t[p + 2]) >= 0)
        p += 2;
    const size_t start = p;
    uint64_t v = 0;
    bool overflow = false;
    for (int d; p < n && (d = HexDigit(t[p])) >= 0; ++p) {
        v = v * 16 + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFu) {
            overflow = true;
            v = 0xFFFFFFFFu;
        }
    }
    if (p == start || p != n) return false;
    uint32_t r = static_cast<uint32_t>(v);
    if (negative && !overflow) r = 0u - r;
    *value = r;
    return true;
}

bool ParseCellNumber(std::string_view t, double* value) {
    size_t p = 0;
    while (p < t.size() && IsCSpace(t[p])) ++p;
    // Nothing strtod accepts starts otherwise; saves the call for plain words.
    if (p == t.size() || !std::strchr("+-.0123456789iInN", t[p])) return false;
    switch (FastDecimal(t.substr(p), value)) {
        case Decimal::Read:
            return true;
        case Decimal::NotANumber:
            return false;
        case Decimal::Unsure:
            break;
    }
    char* end = nullptr;
    const double v = strtod_l(t.data(), &end, CLocale());
    const size_t used = static_cast<size_t>(end - t.data());
    if (used == 0) return false;
    if (used != t.size() && !(used + 1 == t.size() && t[used] == '%')) return false;
    *value = v;
    return true;
}

bool ParseCellDateTime(std::string_view t, int64_t* value) {
    size_t first = 0;
    size_t last = t.size();
    while (first < last && t[first] == ' ') ++first;
    while (last > first && t[last - 1] == ' ') --last;
    if (first == last || t[first] < '0' || t[first] > '9') return false;
    Cursor c{t.substr(first, last - first)};
    int y = 0, m = 0, d = 0;
    if (c.Digits(4, 4, &y) && c.p < c.t.size() &&
        (c.t[c.p] == '-' || c.t[c.p] == '/' || c.t[c.p] == '_')) {
        const char sep = c.t[c.p++];
        if (!c.Digits(1, 2, &m) || c.p >= c.t.size() || c.t[c.p] != sep) return false;
        ++c.p;
        if (!c.Digits(1, 2, &d)) return false;
        if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
        constexpr int64_t kDayZero = DaysFromCivil(1899, 12, 30);
        const int64_t day = DaysFromCivil(y, m, d) - kDayZero;
        int64_t seconds = 0;
        if (c.p < c.t.size()) {
            if (c.t[c.p] != ' ') return false;
            while (c.p < c.t.size() && c.t[c.p] == ' ') ++c.p;
            if (!c.Time(&seconds)) return false;
        }
        *value = day * 86400 + seconds;
        return true;
    }
    c.p = 0;
    int64_t seconds = 0;
    if (!c.Time(&seconds)) return false;
    *value = seconds;
    return true;
}

namespace {

// The whole text through iconv: the reference for every conversion.
bool IconvToGb18030(std::string_view utf8, std::string* out) {
    thread_local Gb18030Converter conv;
    if (conv.cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    // A UTF-8 sequence of k bytes becomes at most 2k GB18030 bytes.
    out->resize(utf8.size() * 2 + 4);
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out->data();
    size_t outLeft = out->size();
    if (iconv(conv.cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft) {
        out->clear();
        return false;
    }
    out->resize(out->size() - outLeft);
    return true;
}

// GB18030 bytes of the code points below 0x10000, asked of iconv once each: bits 0-31 the
// bytes (first byte lowest), bits 32-34 their count; 0 = not asked yet, kUnmapped = none.
constexpr uint64_t kUnmapped = uint64_t{7} << 32;
std::atomic<uint64_t> g_bmpGb18030[0x10000];

uint64_t BmpGb18030(uint32_t cp) {
    uint64_t entry = g_bmpGb18030[cp].load(std::memory_order_relaxed);
    if (entry) return entry;
    char utf8[3];
    size_t n = 0;
    if (cp < 0x800) {
        utf8[n++] = static_cast<char>(0xC0 | (cp >> 6));
    } else {
        utf8[n++] = static_cast<char>(0xE0 | (cp >> 12));
        utf8[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    utf8[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    std::string gb;
    entry = kUnmapped;
    if (IconvToGb18030({utf8, n}, &gb) && !gb.empty() && gb.size() <= 4) {
        uint32_t bytes = 0;
        for (size_t i = 0; i < gb.size(); ++i)
            bytes |= static_cast<uint32_t>(static_cast<unsigned char>(gb[i])) << (8 * i);
        entry = (uint64_t{gb.size()} << 32) | bytes;
    }
    g_bmpGb18030[cp].store(entry, std::memory_order_relaxed);
    return entry;
}

// Well-formed UTF-8 of the Basic Multilingual Plane by the table; false (out unspecified)
// for anything else, which iconv then decides.
bool TableToGb18030(std::string_view utf8, std::string* out) {
    out->resize(utf8.size() * 2);
    char* to = out->data();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        const unsigned c = *p;
        if (c < 0x80) {
            *to++ = static_cast<char>(c);
            ++p;
            continue;
        }
        uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            cp = ((c & 0x1Fu) << 6) | (p[1] & 0x3Fu);
            p += 2;
        } else if (c >= 0xE0 && c <= 0xEF && end - p >= 3 && (p[1] & 0xC0) == 0x80 &&
                   (p[2] & 0xC0) == 0x80) {
            cp = ((c & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
            p += 3;
        } else {
            return false;
        }
        const uint64_t entry = BmpGb18030(cp);
        if (entry == kUnmapped) return false;
        const auto bytes = static_cast<uint32_t>(entry);
        for (unsigned i = 0, count = static_cast<unsigned>(entry >> 32); i < count; ++i)
            *to++ = static_cast<char>((bytes >> (8 * i)) & 0xFF);
    }
    out->resize(static_cast<size_t>(to - out->data()));
    return true;
}

}  // namespace

bool ToGb18030(std::string_view utf8, std::string* out) {
    if (IsAscii(utf8)) {
        out->assign(utf8);
        return true;
    }
    // Table bytes are at most twice the UTF-8 bytes of a code point: 2 for 2, 4 for 3.
    if (TableToGb18030(utf8, out)) return true;
    return IconvToGb18030(utf8, out);
}

int CompareCellTexts(const std::string& a, const std::string& b) {
    uint32_t ha = 0, hb = 0;
    if (ParseCellHex32(a, &ha) && ParseCellHex32(b, &hb)) return Sign(ha, hb);
    double da = 0, db = 0;
    if (ParseCellNumber(a, &da) && ParseCellNumber(b, &db)) return Sign(da, db);
    int64_t ta = 0, tb = 0;
    if (ParseCellDateTime(a, &ta) && ParseCellDateTime(b, &tb)) return Sign(ta, tb);
    std::string ga, gb;
    if (ToGb18030(a, &ga) && ToGb18030(b, &gb)) return Sign(ga.compare(gb), 0);
    return Sign(a.compare(b), 0);
}

CellKeyBuilder::CellKeyBuilder() = default;
CellKeyBuilder::~CellKeyBuilder() = default;

std::string_view CellKeyBuilder::Store(const std::string& bytes) {
    if (m_capacity - m_used < bytes.size()) {
        m_capacity = std::max<size_t>(bytes.size(), 1 << 20);
        m_blocks.push_back(std::make_unique<char[]>(m_capacity));
        m_used = 0;
    }
    char* at = m_blocks.back().get() + m_used;
    std::memcpy(at, bytes.data(), bytes.size());
    m_used += bytes.size();
    return {at, bytes.size()};
}

CellNumbers ReadCellNumbers(std::string_view text) {
    CellNumbers n;
    if (ParseCellHex32(text, &n.hex)) n.forms |= kCellHex;
    if (ParseCellNumber(text, &n.number)) n.forms |= kCellNumber;
    if (ParseCellDateTime(text, &n.dateTime)) n.forms |= kCellDateTime;
    return n;
}

CellKey CellKeyBuilder::Build(std::string_view text) {
    CellKey key;
    key.raw = text;
    key.text = text;
    key.num = ReadCellNumbers(text);
    if (!IsAscii(text)) {
        if (ToGb18030(text, &m_scratch))
            key.text = Store(m_scratch);
        else
            key.gbValid = false;
    }
    return key;
}
