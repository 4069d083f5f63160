// OrviCrm: the customer-relationship module a call-centre host loads as libOrviCrm.so.
//
// A host hands over its clients and opens one of the module's windows; each entry point
// runs that window modally on the calling thread and returns when the user closes it.
// Strings are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#if defined(ORVI_BUILDING_MODULE)
#define ORVI_API __attribute__((visibility("default")))
#else
#define ORVI_API
#endif

#include "orvicrm/CRstValues.h"

// The host's client lists: names and the parallel client keys (ObjectDateTime values).
using OrviStringArray = std::vector<std::string>;
using OrviKeyArray = std::vector<uint32_t>;

// A host window that answers the client pick. The module calls WindowProc(self, pickMsg,
// 0, address of a ClientPickRequest) and takes its result as the answer: the key of one
// chosen client (> 0), or 0 or less when a group or nothing was chosen.
struct OrviHostWnd {
    intptr_t (*WindowProc)(OrviHostWnd* self, uint32_t msg, uintptr_t wParam, intptr_t lParam);
};

// The block whose address travels with the pick message: five pointers.
//
// One client: write its name and key to pickedNames and pickedKeys and answer its key.
// A group: write the group's names to groupNames and any non-empty text to groupText, and
// answer 0. The module lists the names and a last entry "全部", which then stands for every
// client of the group. Give each name its key either in pickedNames/pickedKeys or in
// groupKeys (parallel to groupNames); a name with no key is matched by its text. No other
// entries are needed. The picked lists stay in force for later name and key lookups until
// the next pick, so keep pickedNames and pickedKeys of the same length and order.
struct ClientPickRequest {
    OrviStringArray* pickedNames;  // to be filled by the host: the picked clients' names
    OrviKeyArray* pickedKeys;      // to be filled by the host: their keys, parallel
    OrviKeyArray* groupKeys;       // fresh and empty: the keys of groupNames, parallel
    OrviStringArray* groupNames;   // fresh and empty: names to list for a group
    std::string* groupText;        // fresh and empty: non-empty means a group was chosen
};

extern "C" {

// mode 0: CRM main window for clientKey with the given client lists; 1: statistics window;
// -1: nothing (result 1); any other mode: nothing (result 0). The window's result is 1.
ORVI_API int32_t CM_OpenCrm(int32_t mode, const OrviStringArray* names, const OrviKeyArray* keys,
                            int32_t clientKey, uint32_t reserved1, uint32_t reserved2);

// CRM main window for clientKey; the clients are names and decimal keys joined by separator.
// hostWnd (an OrviHostWnd*, 0 for none) answers pickMsg when the user asks for a pick.
ORVI_API int32_t CM_OpenCrm2(const char* namesText, const char* keysText, const char* separator,
                             int32_t clientKey, uintptr_t hostWnd, uint32_t pickMsg);

// The statistics window. The arguments are not read.
ORVI_API int32_t CM_OpenCrmStat(uint32_t a, uint32_t b, uint32_t c, uint32_t d);

}  // extern "C"
