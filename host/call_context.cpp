#include "host/call_context.h"

#include <QComboBox>
#include <algorithm>

#include "platform/decimal_text.h"

OrviStringArray g_clientNames;
OrviKeyArray g_clientKeys;
OrviStringArray g_pickedNames;
OrviKeyArray g_pickedKeys;
std::string g_clientNamesText;
std::string g_clientKeysText;
std::string g_listSeparator;
uintptr_t g_hostWnd = 0;
uint32_t g_hostPickMsg = 0;

namespace {

// Index of the first entry equal to name, or -1.
long FindName(const OrviStringArray& names, const std::string& name) {
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<long>(it - names.begin());
}

long FindKey(const OrviKeyArray& keys, uint32_t key) {
    auto it = std::find(keys.begin(), keys.end(), key);
    return it == keys.end() ? -1 : static_cast<long>(it - keys.begin());
}

// Lists of different lengths pair only their common prefix: an index found in one list is
// used in the other only when both have it.
bool InBoth(long index, size_t a, size_t b) {
    return index >= 0 && static_cast<size_t>(index) < std::min(a, b);
}

}  // namespace

void SplitBySeparator(const std::string& source, const std::string& separator,
                      OrviStringArray& out) {
    if (separator.empty()) {
        out.push_back(source);
        return;
    }
    size_t start = 0;
    for (;;) {
        size_t found = source.find(separator, start);
        if (found == std::string::npos) {
            out.push_back(source.substr(start));
            return;
        }
        out.push_back(source.substr(start, found - start));
        start = found + separator.size();
        if (start >= source.size()) return;
    }
}

void ParseClientLists(const std::string& namesText, const std::string& keysText,
                      const std::string& separator, OrviStringArray& names, OrviKeyArray& keys) {
    SplitBySeparator(namesText, separator, names);
    OrviStringArray pieces;
    SplitBySeparator(keysText, separator, pieces);
    for (const std::string& piece : pieces)
        keys.push_back(static_cast<uint32_t>(DecimalTextToInt(piece)));
}

void EnsureClientLists() {
    if (g_clientNames.empty())
        ParseClientLists(g_clientNamesText, g_clientKeysText, g_listSeparator, g_clientNames,
                         g_clientKeys);
}

uint32_t GetClientKey(const std::string& name) {
    if (name.empty()) return 0;
    if (!g_pickedKeys.empty()) {
        long i = FindName(g_pickedNames, name);
        return InBoth(i, g_pickedNames.size(), g_pickedKeys.size()) ? g_pickedKeys[i] : 0;
    }
    EnsureClientLists();
    long i = FindName(g_clientNames, name);
    return InBoth(i, g_clientNames.size(), g_clientKeys.size()) ? g_clientKeys[i] : 0;
}

std::string GetClientName(uint32_t key) {
    if (g_pickedKeys.empty()) {
        EnsureClientLists();
        long i = FindKey(g_clientKeys, key);
        return InBoth(i, g_clientNames.size(), g_clientKeys.size()) ? g_clientNames[i]
                                                                    : std::string();
    }
    long i = FindKey(g_pickedKeys, key);
    return InBoth(i, g_pickedNames.size(), g_pickedKeys.size()) ? g_pickedNames[i] : std::string();
}

ClientPickAnswer RequestClientPick() {
    ClientPickAnswer result;
    g_pickedNames.clear();
    if (!g_hostWnd) return result;
    OrviKeyArray groupKeys;
    ClientPickRequest request{&g_pickedNames, &g_pickedKeys, &groupKeys, &result.groupNames,
                              &result.groupText};
    auto* host = reinterpret_cast<OrviHostWnd*>(g_hostWnd);
    if (host->WindowProc)
        result.answer =
            host->WindowProc(host, g_hostPickMsg, 0, reinterpret_cast<intptr_t>(&request));
    return result;
}

void FillClientCombo(QComboBox* combo, uint32_t key, int reset) {
    EnsureClientLists();
    if (reset) {
        combo->clear();
    } else {
        while (combo->count() > 0) combo->removeItem(0);
    }
    int selected = -1;
    size_t paired = std::min(g_clientNames.size(), g_clientKeys.size());
    for (size_t i = 0; i < g_clientNames.size(); ++i) {
        combo->addItem(QString::fromStdString(g_clientNames[i]));
        if (i < paired && g_clientKeys[i] == key) selected = combo->count() - 1;
    }
    combo->setCurrentIndex(selected);  // no selection when no key matched
}

uint32_t GetComboClientKey(QComboBox* combo) {
    EnsureClientLists();
    long index = combo->currentIndex();
    return InBoth(index, g_clientNames.size(), g_clientKeys.size()) ? g_clientKeys[index] : 0;
}

intptr_t PickClientsFromHost(QComboBox* combo) {
    ClientPickAnswer pick = RequestClientPick();
    if (pick.answer > 0) {
        std::string name = GetClientName(static_cast<uint32_t>(pick.answer));
        if (name.empty()) return pick.answer;
        QString text = QString::fromStdString(name);
        int found = -1;
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemText(i).toStdString() == name) found = i;
        if (found < 0) {
            combo->insertItem(0, text);
            found = 0;
        }
        combo->setCurrentIndex(found);
        if (combo->isEditable()) combo->setEditText(text);
    } else if (!pick.groupText.empty()) {
        combo->clear();
        for (const std::string& name : pick.groupNames)
            combo->addItem(QString::fromStdString(name));
        combo->addItem(QStringLiteral("全部"));
        combo->setCurrentIndex(combo->count() - 1);
    }
    return pick.answer;
}
