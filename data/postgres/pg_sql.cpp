#include "data/postgres/pg_sql.h"

#include <strings.h>

#include <unordered_map>

#include "data/schema.h"

namespace {

bool IsWordChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '_' ||
           c == '$' || u >= 0x80;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool IsWord(std::string_view word, const char* expected) {
    return word.size() == std::char_traits<char>::length(expected) &&
           strncasecmp(word.data(), expected, word.size()) == 0;
}

// End of the quoted part that starts at i; a doubled quote stays inside it.
size_t QuotedEnd(std::string_view sql, size_t i) {
    const char quote = sql[i];
    for (++i; i < sql.size(); ++i) {
        if (sql[i] != quote) continue;
        if (i + 1 < sql.size() && sql[i + 1] == quote)
            ++i;
        else
            return i + 1;
    }
    return sql.size();
}

size_t WordEnd(std::string_view sql, size_t i) {
    while (i < sql.size() && IsWordChar(sql[i])) ++i;
    return i;
}

size_t SkipSpace(std::string_view sql, size_t i) {
    while (i < sql.size() && IsSpace(sql[i])) ++i;
    return i;
}

// Copies the pattern literal after a LIKE (if one follows) and adds its ESCAPE; returns the
// index after what was copied.
size_t CopyPattern(std::string_view sql, size_t i, std::string* out) {
    const size_t literal = SkipSpace(sql, i);
    if (literal >= sql.size() || sql[literal] != '\'') return i;
    const size_t end = QuotedEnd(sql, literal);
    out->append(sql.substr(i, end - i));
    const size_t next = SkipSpace(sql, end);
    if (!IsWord(sql.substr(next, WordEnd(sql, next) - next), "ESCAPE")) *out += " ESCAPE ''";
    return end;
}

}  // namespace

std::string RewriteLikeForServer(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            const size_t end = QuotedEnd(sql, i);
            out.append(sql.substr(i, end - i));
            i = end;
        } else if (IsWordChar(c)) {
            const size_t end = WordEnd(sql, i);
            const std::string_view word = sql.substr(i, end - i);
            i = end;
            if (IsWord(word, "LIKE")) {
                out += word[0] == 'l' ? 'i' : 'I';
                out.append(word);
                i = CopyPattern(sql, i, &out);
            } else {
                out.append(word);
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string SchemaSpelling(std::string_view name) {
    static const std::unordered_map<std::string, std::string> spellings = [] {
        std::unordered_map<std::string, std::string> map;
        auto add = [&map](std::string_view spelled) {
            std::string folded(spelled);
            for (char& ch : folded)
                if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
            map.emplace(std::move(folded), spelled);
        };
        for (const TableDef* table : AllTables()) {
            add(table->name);
            for (const FieldDef& field : table->fields) add(field.name);
        }
        return map;
    }();
    const auto found = spellings.find(std::string(name));
    return found == spellings.end() ? std::string(name) : found->second;
}
