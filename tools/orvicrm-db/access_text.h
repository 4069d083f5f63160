// The texts of an Access file as they are stored: UTF-16 in Jet 4 files (whole, or in the
// file format's compressed form, which leaves out the high byte of runs of Latin-1 letters),
// bytes of a code page in Jet 3 files.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

// UTF-16 (little-endian) or its compressed form (which starts with FF FE) to UTF-8, pairs of
// surrogates included. False with the reason in why when the bytes are not such a text.
bool DecodeJet4Text(std::string_view stored, std::string* text, std::string* why);

// A code page's bytes to UTF-8 through iconv.
class CodePageDecoder {
public:
    explicit CodePageDecoder(const std::string& codePage);  // an iconv name: GBK, CP1252, ...
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    bool Known() const { return m_iconv != reinterpret_cast<iconv_t>(-1); }
    bool Decode(std::string_view stored, std::string* text, std::string* why);

private:
    std::string m_codePage;
    iconv_t m_iconv;
};
