// Basic types of the message layer: window handles, message parameters, colours, answers.
#pragma once

#include <cstdint>

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HWND = uintptr_t;     // 0 means no window
using COLORREF = uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16);
}
constexpr unsigned GetRValue(COLORREF c) {
    return c & 0xff;
}
constexpr unsigned GetGValue(COLORREF c) {
    return (c >> 8) & 0xff;
}
constexpr unsigned GetBValue(COLORREF c) {
    return (c >> 16) & 0xff;
}

// Message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
