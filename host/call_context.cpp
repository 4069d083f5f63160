#include "host/call_context.h"

#include <QComboBox>
#include <QVariant>
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

constexpr int kClientKeyRole = Qt::UserRole + 0x4b;
constexpr const char* kPickedGroupProperty = "orviPickedGroup";

void AddClientEntry(QComboBox* combo, int index, const std::string& name, uint32_t key) {
    combo->insertItem(index, QString::fromStdString(name));
    combo->setItemData(index, QVariant::fromValue(key), kClientKeyRole);
}

// Key of a group entry: the key the host wrote beside it in the request, when it wrote one
// for every name, else the key of its name in the pick or the handed-over lists.
uint32_t GroupEntryKey(const ClientPickAnswer& pick, size_t i) {
    if (pick.groupKeys.size() == pick.groupNames.size() && pick.groupKeys[i] != 0)
        return pick.groupKeys[i];
    return GetClientKey(pick.groupNames[i]);
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
    ClientPickRequest request{&g_pickedNames, &g_pickedKeys, &result.groupKeys, &result.groupNames,
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
    combo->setProperty(kPickedGroupProperty, false);
    int selected = -1;
    const size_t paired = std::min(g_clientNames.size(), g_clientKeys.size());
    for (size_t i = 0; i < g_clientNames.size(); ++i) {
        if (i < paired) {
            AddClientEntry(combo, combo->count(), g_clientNames[i], g_clientKeys[i]);
            if (g_clientKeys[i] == key) selected = combo->count() - 1;
        } else {
            combo->addItem(QString::fromStdString(g_clientNames[i]));  // a name without a key
        }
    }
    combo->setCurrentIndex(selected);  // no selection when no key matched
}

uint32_t GetComboEntryKey(QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count()) return 0;
    const QVariant key = combo->itemData(index, kClientKeyRole);
    if (key.isValid()) return key.value<uint32_t>();
    return GetClientKey(combo->itemText(index).toStdString());
}

uint32_t GetComboClientKey(QComboBox* combo) {
    const QString text = combo->currentText();
    int index = combo->currentIndex();
    // An editable combo keeps its old index when a name is typed over the selection.
    if (index < 0 || combo->itemText(index) != text)
        index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) return GetComboEntryKey(combo, index);
    return GetClientKey(text.toStdString());
}

bool IsPickedGroupCombo(QComboBox* combo) {
    return combo->property(kPickedGroupProperty).toBool();
}

intptr_t PickClientsFromHost(QComboBox* combo) {
    ClientPickAnswer pick = RequestClientPick();
    if (pick.answer > 0) {
        const auto key = static_cast<uint32_t>(pick.answer);
        std::string name = GetClientName(key);
        if (name.empty()) return pick.answer;
        QString text = QString::fromStdString(name);
        int found = -1;
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemText(i).toStdString() == name) found = i;
        if (found < 0) {
            found = 0;
        } else if (GetComboEntryKey(combo, found) != key) {
            found = 0;  // the name is listed for another client: list this one too
        } else {
            combo->setCurrentIndex(found);
            if (combo->isEditable()) combo->setEditText(text);
            return pick.answer;
        }
        AddClientEntry(combo, found, name, key);
        combo->setCurrentIndex(found);
        if (combo->isEditable()) combo->setEditText(text);
    } else if (!pick.groupText.empty()) {
        combo->clear();
        for (size_t i = 0; i < pick.groupNames.size(); ++i)
            AddClientEntry(combo, combo->count(), pick.groupNames[i], GroupEntryKey(pick, i));
        combo->addItem(QStringLiteral("全部"));
        combo->setCurrentIndex(combo->count() - 1);
        combo->setProperty(kPickedGroupProperty, true);
    }
    return pick.answer;
}
