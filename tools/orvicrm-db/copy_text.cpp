#include "tools/orvicrm-db/copy_text.h"

#include <charconv>

namespace {

// The letter that stands for c after a backslash, or 0 when c goes out as it is.
char EscapeLetter(char c) {
    switch (c) {
        case '\\':
            return '\\';
        case '\t':
            return 't';
        case '\n':
            return 'n';
        case '\r':
            return 'r';
        default:
            return 0;
    }
}

void AppendText(std::string_view text, std::string* out) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char letter = EscapeLetter(text[i]);
        if (!letter) continue;
        out->append(text.substr(start, i - start));
        out->push_back('\\');
        out->push_back(letter);
        start = i + 1;
    }
    out->append(text.substr(start));
}

template <typename Number>
void AppendNumber(Number value, std::string* out) {
    char text[40];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    out->append(text, end);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Undoes the escapes the server writes (and the octal and hex forms it reads).
std::string Unescape(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c != '\\' || i + 1 == field.size()) {
            text.push_back(c);
            continue;
        }
        c = field[++i];
        switch (c) {
            case 'b':
                text.push_back('\b');
                break;
            case 'f':
                text.push_back('\f');
                break;
            case 'n':
                text.push_back('\n');
                break;
            case 'r':
                text.push_back('\r');
                break;
            case 't':
                text.push_back('\t');
                break;
            case 'v':
                text.push_back('\v');
                break;
            case 'x': {
                int value = 0, digits = 0;
                while (digits < 2 && i + 1 < field.size() && HexDigit(field[i + 1]) >= 0)
                    value = value * 16 + HexDigit(field[++i]), ++digits;
                text.push_back(digits ? static_cast<char>(value) : 'x');
                break;
            }
            default:
                if (c >= '0' && c <= '7') {
                    int value = c - '0';
                    for (int digits = 1; digits < 3 && i + 1 < field.size() &&
                                         field[i + 1] >= '0' && field[i + 1] <= '7';
                         ++digits)
                        value = value * 8 + (field[++i] - '0');
                    text.push_back(static_cast<char>(value));
                } else {
                    text.push_back(c);
                }
        }
    }
    return text;
}

template <typename Number>
bool ParseNumber(std::string_view field, Number* value) {
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), *value);
    return ec == std::errc() && end == field.data() + field.size();
}

bool ParseField(std::string_view field, const FieldDef& def, CellValue* value) {
    value->text.clear();
    if (field == "\\N") {
        value->type = kCellNull;
        return true;
    }
    switch (def.type) {
        case kFieldText:
            value->type = kCellText;
            value->text = Unescape(field);
            return true;
        case kFieldFloat: {
            float f = 0;
            value->type = kCellFloat;
            if (!ParseNumber(field, &f)) return false;
            value->d = f;
            return true;
        }
        default:
            value->type = kCellInteger;
            return ParseNumber(field, &value->i);
    }
}

}  // namespace

void AppendCopyRow(std::span<const CellValue> row, std::string* out) {
    for (size_t i = 0; i < row.size(); ++i) {
        if (i) out->push_back('\t');
        const CellValue& v = row[i];
        switch (v.type) {
            case kCellInteger:
                AppendNumber(v.i, out);
                break;
            case kCellFloat:
                AppendNumber(static_cast<float>(v.d), out);
                break;
            case kCellText:
            case kCellBlob:
                AppendText(v.text, out);
                break;
            default:
                out->append("\\N");
        }
    }
    out->push_back('\n');
}

bool ParseCopyRow(std::string_view line, const TableDef& table, std::vector<CellValue>* row,
                  std::string* error) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    row->resize(table.fields.size());
    size_t start = 0;
    for (size_t column = 0; column < table.fields.size(); ++column) {
        size_t end = line.find('\t', start);
        bool last = column + 1 == table.fields.size();
        if ((end == std::string_view::npos) != last) {
            *error = std::string(table.name) + ": a row with the wrong number of fields";
            return false;
        }
        if (last) end = line.size();
        std::string_view field = line.substr(start, end - start);
        if (!ParseField(field, table.fields[column], &(*row)[column])) {
            *error = std::string(table.name) + ": " + table.fields[column].name + " holds \"" +
                     std::string(field) + "\", not a number";
            return false;
        }
        start = end + 1;
    }
    return true;
}
