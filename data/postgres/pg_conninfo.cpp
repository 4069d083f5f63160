#include <libpq-fe.h>

#include "data/driver.h"

std::string ConninfoValue(const std::string& value) {
    if (!value.empty() && value.find_first_of(" \t\r\n'\\") == std::string::npos) return value;
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

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
