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
    OrviKeyArray groupKeys;      // their keys, when the host wrote them
    std::string groupText;       // non-empty: a group was chosen
};
// Empties g_pickedNames and asks g_hostWnd for a pick (answer 0 without a host window).
ClientPickAnswer RequestClientPick();

// Every client entry of a contact combo carries its client's key, set when the entry is
// added, so that the combo's positions never need to match g_clientKeys.

// Refills the combo box with g_clientNames and selects the (last) entry of key.
void FillClientCombo(QComboBox* combo, uint32_t key, int reset);
// Key of the client the combo names: the key of the chosen entry, or of the entry whose
// text was typed over the selection, or else the key of the typed name; 0 when the text
// names no known client.
uint32_t GetComboClientKey(QComboBox* combo);
// Key of one entry: the key it was added with, else the key of its text (0 for none).
uint32_t GetComboEntryKey(QComboBox* combo, int index);
// true while the combo lists a group picked by the host (until it is filled again).
bool IsPickedGroupCombo(QComboBox* combo);
// Lets the host pick clients and shows the result in the combo box; returns the answer.
// One client: its entry is selected or inserted at 0 with the answer as its key. A group:
// the combo lists the group's names, each with its key, and a last entry "全部".
intptr_t PickClientsFromHost(QComboBox* combo);
