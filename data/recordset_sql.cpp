#include "data/recordset.h"

#include <strings.h>

#include <cctype>
#include <cstring>

#include "data/schema.h"

namespace {

bool IsWordChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || u >= 0x80;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// Index just past a quoted part starting at i ('...', "...", `...` or [...]), npos if open.
size_t SkipQuoted(const std::string& s, size_t i) {
    char close = s[i] == '[' ? ']' : s[i];
    size_t end = s.find(close, i + 1);
    return end == std::string::npos ? end : end + 1;
}

bool SameWord(const std::string& s, size_t begin, size_t end, const char* word) {
    return std::strlen(word) == end - begin &&
           strncasecmp(s.c_str() + begin, word, end - begin) == 0;
}

}  // namespace

bool SelectsAllColumns(const std::string& sql) {
    size_t i = 0, n = sql.size();
    auto skipSpace = [&] {
        while (i < n && IsSpace(sql[i])) ++i;
    };
    auto word = [&](const char* expected) {
        size_t begin = i;
        while (i < n && IsWordChar(sql[i])) ++i;
        return SameWord(sql, begin, i, expected);
    };
    skipSpace();
    if (!word("SELECT")) return false;
    skipSpace();
    if (i >= n || sql[i] != '*') return false;
    ++i;
    skipSpace();
    return word("FROM");
}

std::string InFileRowOrder(const std::string& sql, const std::string& table, const char* key) {
    size_t i = 0, n = sql.size(), afterWhere = std::string::npos;
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            i = SkipQuoted(sql, i);
            if (i == std::string::npos) return sql;
        } else if (IsWordChar(c)) {
            size_t begin = i;
            while (i < n && IsWordChar(sql[i])) ++i;
            for (const char* word : {"ORDER", "LIMIT", "OFFSET"})
                if (SameWord(sql, begin, i, word)) return sql;
            if (afterWhere == std::string::npos && SameWord(sql, begin, i, "WHERE")) afterWhere = i;
        } else {
            ++i;
        }
    }
    std::string order = key;
    if (afterWhere != std::string::npos) {
        size_t p = afterWhere;
        while (p < n && (IsSpace(sql[p]) || sql[p] == '(')) ++p;
        size_t begin = p;
        while (p < n && IsWordChar(sql[p])) ++p;
        std::string column = sql.substr(begin, p - begin);
        if (!column.empty() && IsIndexed(table, column)) order = column + ", " + key;
    }
    size_t end = n;
    while (end > 0 && (IsSpace(sql[end - 1]) || sql[end - 1] == ';')) --end;
    return sql.substr(0, end) + " ORDER BY " + order;
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0, n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length;
        uint32_t code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (n - i < static_cast<size_t>(length)) return false;
        for (int k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<size_t>(length);
    }
    return true;
}

std::string RowidQuery(const std::string& sql, std::string* table, const char* key) {
    size_t i = 0, n = sql.size();
    while (i < n && IsSpace(sql[i])) ++i;
    size_t word = i;
    while (i < n && IsWordChar(sql[i])) ++i;
    if (!SameWord(sql, word, i, "SELECT")) return {};
    size_t listBegin = i, from = std::string::npos;
    // The column list: names, '*', commas and dots only.
    while (i < n && from == std::string::npos) {
        char c = sql[i];
        if (c == '"' || c == '`' || c == '[') {
            i = SkipQuoted(sql, i);
            if (i == std::string::npos) return {};
        } else if (IsWordChar(c)) {
            size_t begin = i;
            while (i < n && IsWordChar(sql[i])) ++i;
            if (SameWord(sql, begin, i, "FROM"))
                from = begin;
            else if (SameWord(sql, begin, i, "DISTINCT") || SameWord(sql, begin, i, "ALL") ||
                     SameWord(sql, begin, i, "AS"))
                return {};
        } else if (IsSpace(c) || c == ',' || c == '.' || c == '*') {
            ++i;
        } else {
            return {};
        }
    }
    if (from == std::string::npos) return {};
    while (i < n && IsSpace(sql[i])) ++i;
    size_t nameBegin = i;
    std::string name;
    if (i < n && (sql[i] == '"' || sql[i] == '`' || sql[i] == '[')) {
        i = SkipQuoted(sql, i);
        if (i == std::string::npos) return {};
        name = sql.substr(nameBegin + 1, i - nameBegin - 2);
    } else {
        while (i < n && IsWordChar(sql[i])) ++i;
        name = sql.substr(nameBegin, i - nameBegin);
    }
    if (name.empty() || (i < n && sql[i] == '.')) return {};
    // The rest: no further tables and no grouping or compound selects.
    size_t rest = i;
    while (rest < n && IsSpace(sql[rest])) ++rest;
    if (rest < n && sql[rest] == ',') return {};
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            i = SkipQuoted(sql, i);
            if (i == std::string::npos) return {};
        } else if (IsWordChar(c)) {
            size_t begin = i;
            while (i < n && IsWordChar(sql[i])) ++i;
            for (const char* keyword :
                 {"JOIN", "UNION", "INTERSECT", "EXCEPT", "GROUP", "HAVING", "WINDOW"})
                if (SameWord(sql, begin, i, keyword)) return {};
        } else {
            ++i;
        }
    }
    *table = name;
    return sql.substr(0, listBegin) + " " + key + "," + sql.substr(listBegin);
}
