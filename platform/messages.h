// Every message number the module's windows exchange.
#pragma once

#include "platform/win_types.h"

constexpr UINT WM_USER = 0x0400;

// Standard window messages the module uses.
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;

// Main window -> current record page.
constexpr UINT WM_PAGE_NEW = WM_USER + 201;        // 0x04C9
constexpr UINT WM_PAGE_VIEW = WM_USER + 202;       // 0x04CA
constexpr UINT WM_PAGE_DELETE = WM_USER + 203;     // 0x04CB
constexpr UINT WM_PAGE_PREVPAGE = WM_USER + 204;   // 0x04CC
constexpr UINT WM_PAGE_NEXTPAGE = WM_USER + 205;   // 0x04CD
constexpr UINT WM_PAGE_FIRSTPAGE = WM_USER + 207;  // 0x04CF
constexpr UINT WM_PAGE_LASTPAGE = WM_USER + 208;   // 0x04D0
constexpr UINT WM_PAGE_SELECTALL = WM_USER + 211;  // 0x04D3
constexpr UINT WM_PAGE_LAYOUT = WM_USER + 213;     // 0x04D5
constexpr UINT WM_PAGE_ISCHECKED = WM_USER + 218;  // 0x04DA, export writer -> page
constexpr UINT WM_PAGE_COUNT = WM_USER + 250;      // 0x04FA, page -> itself
constexpr UINT WM_PAGE_CALL = WM_USER + 513;       // 0x0601
constexpr UINT WM_PAGE_VIEW_ALT = 0x0465;          // handled like WM_PAGE_VIEW
constexpr UINT WM_PAGE_LOADED = WM_USER + 251;     // 0x04FB, load thread -> page: rows ready

// Export writer -> its progress dialog.
constexpr UINT WM_EXPORT_TICKS = WM_USER + 260;     // sent: which records of a block are ticked
constexpr UINT WM_EXPORT_PROGRESS = WM_USER + 261;  // posted: percent written
constexpr UINT WM_EXPORT_DONE = WM_USER + 262;      // posted: the writer's outcome

// Parameter dialog's loading thread -> the dialog: names ready.
constexpr UINT WM_PARAM_LOADED = WM_USER + 270;  // 0x050E

// Lookup loader -> its editor: values of one list are ready (wParam list, lParam run).
constexpr UINT WM_EDIT_LOADED = WM_USER + 252;  // 0x04FC

// Statistics page <-> result table <-> chart.
constexpr UINT WM_STAT_DATA = WM_USER + 206;  // 0x04CE
constexpr UINT WM_STAT_STOP = WM_USER + 215;  // 0x04D7

// Check-box list -> its parent.
constexpr UINT WM_CHECKLIST_CHECKCHANGED = 0xA710;
constexpr UINT WM_CHECKLIST_SORTED = 0xA711;
