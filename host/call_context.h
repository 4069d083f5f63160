// What the host handed over for the current and later calls: the client lists, the texts
// they are built from, the last client pick, and the host window that answers a pick.
// Read and written on the thread that runs the module's windows only.
#pragma once

#include <cstdint>
#include <string>

#include "orvicrm/orvicrm.h"

class QComboBox;

extern OrviStringArray g_clientNames;  // handed-over client names, in the host's order
extern OrviKeyArray g_clientKeys;      // their keys, parallel to g_clientNames
extern OrviStringArray g_pickedNames;  // names of the last pick, filled by the host
extern OrviKeyArray g_pickedKeys;      // their keys, parallel to g_pickedNames
extern std::string g_clientNamesText;  // names joined by g_listSeparator
extern std::string g_clientKeysText;   // decimal keys joined by g_listSeparator
extern std::string g_listSeparator;
extern uintptr_t g_hostWnd;  // an OrviHostWnd*, 0 for none
extern uint32_t g_hostPickMsg;

// Splits source at every occurrence of separator and appends the pieces to out. An empty
// source gives one empty piece; a trailing separator gives no empty last piece.
void SplitBySeparator(const std::string& source, const std::string& separator,
                      OrviStringArray& out);
// Appends the pieces of namesText to names and the keys read from keysText to keys.
void ParseClientLists(const std::string& namesText, const std::string& keysText,
                      const std::string& separator, OrviStringArray& names, OrviKeyArray& keys);
// Builds g_clientNames and g_clientKeys from the texts while g_clientNames is empty.
void EnsureClientLists();

// Key of the client with this name (the last pick when it has keys, else the handed-over
// lists); 0 when there is none.
uint32_t GetClientKey(const std::string& name);
// Name of the client with this key; empty when there is none.
std::string GetClientName(uint32_t key);

// The host's answer to a client pick and the group it may have returned.
struct ClientPickAnswer {
    intptr_t answer = 0;         // > 0: the key of one chosen client
    OrviStringArray groupNames;  // names to list when a group was chosen
    std::string groupText;       // non-empty: a group was chosen
};
// Empties g_pickedNames and asks g_hostWnd for a pick (answer 0 without a host window).
ClientPickAnswer RequestClientPick();

// Refills the combo box with g_clientNames and selects the (last) entry of key.
void FillClientCombo(QComboBox* combo, uint32_t key, int reset);
// Key of the selected entry of a combo box filled by FillClientCombo; 0 for none.
uint32_t GetComboClientKey(QComboBox* combo);
// Lets the host pick clients and shows the result in the combo box; returns the answer.
intptr_t PickClientsFromHost(QComboBox* combo);
