// Reading numbers the way the C library's atol does on a 32-bit long.
#pragma once

#include <cstdint>
#include <string_view>

// Leading blanks, an optional sign, decimal digits up to the first other byte; 0 when there
// are none. Values beyond the 32-bit range saturate.
int32_t DecimalTextToInt(std::string_view text);
