#include "tools/orvicrm-db/access_text.h"

#include <cerrno>
#include <cstdio>

namespace {

void AppendUtf8(char32_t c, std::string* out) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The compressed form: a zero byte switches between one byte a unit (the high byte is zero)
// and two bytes a unit; it starts with one byte a unit.
bool Decompress(std::string_view stored, std::u16string* units) {
    bool compressed = true;
    for (size_t i = 0; i < stored.size();) {
        auto byte = static_cast<unsigned char>(stored[i]);
        if (byte == 0) {
            compressed = !compressed;
            ++i;
        } else if (compressed) {
            units->push_back(byte);
            ++i;
        } else if (i + 1 < stored.size()) {
            units->push_back(
                static_cast<char16_t>(byte | static_cast<unsigned char>(stored[i + 1]) << 8));
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

std::string Hex(unsigned unit) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", unit);
    return text;
}

}  // namespace

bool DecodeJet4Text(std::string_view stored, std::string* text, std::string* why) {
    std::u16string units;
    if (stored.size() >= 2 && static_cast<unsigned char>(stored[0]) == 0xFF &&
        static_cast<unsigned char>(stored[1]) == 0xFE) {
        if (!Decompress(stored.substr(2), &units)) {
            *why = "a compressed text that ends in the middle of a letter";
            return false;
        }
    } else {
        if (stored.size() % 2) {
            *why = "a text of an odd number of bytes";
            return false;
        }
        units.resize(stored.size() / 2);
        for (size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(stored[2 * i]) |
                                             static_cast<unsigned char>(stored[2 * i + 1]) << 8);
    }
    text->clear();
    text->reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            *why = "a text with a lone surrogate " + Hex(c);
            return false;
        }
        AppendUtf8(c, text);
    }
    return true;
}

CodePageDecoder::CodePageDecoder(const std::string& codePage)
    : m_codePage(codePage), m_iconv(iconv_open("UTF-8", codePage.c_str())) {}

CodePageDecoder::~CodePageDecoder() {
    if (Known()) iconv_close(m_iconv);
}

bool CodePageDecoder::Decode(std::string_view stored, std::string* text, std::string* why) {
    iconv(m_iconv, nullptr, nullptr, nullptr, nullptr);
    text->resize(stored.size() * 4 + 4);
    char* in = const_cast<char*>(stored.data());
    size_t inLeft = stored.size(), outLeft = text->size();
    char* out = text->data();
    if (iconv(m_iconv, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) ||
        iconv(m_iconv, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1)) {
        *why = "bytes that are no text in " + m_codePage + " (at byte " +
               std::to_string(stored.size() - inLeft + 1) + ")";
        return false;
    }
    text->resize(static_cast<size_t>(out - text->data()));
    return true;
}
