#include <libpq-fe.h>

#include "data/driver.h"

namespace {

// A value as a connection string takes it: quoted when empty or holding blanks or quotes.
std::string ConninfoValue(const char* value) {
    std::string text = value;
    if (!text.empty() && text.find_first_of(" \t\r\n'\\") == std::string::npos) return text;
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

}  // namespace

std::string ShownLocation(const std::string& location) {
    if (!IsServerLocation(location)) return location;
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(location.c_str(), &parseError);
    PQfreemem(parseError);
    if (!options) return "(连接字符串有误)";  // the password cannot be told from the rest
    std::string shown;
    for (const PQconninfoOption* o = options; o->keyword; ++o) {
        if (!o->val || std::string_view(o->keyword) == "password") continue;
        shown += (shown.empty() ? "" : " ") + std::string(o->keyword) + "=" + ConninfoValue(o->val);
    }
    PQconninfoFree(options);
    return shown;
}
