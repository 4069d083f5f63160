#include <gtest/gtest.h>

#include <QComboBox>

#include "host/call_context.h"

namespace {

class CallContext : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        g_clientNames.clear();
        g_clientKeys.clear();
        g_pickedNames.clear();
        g_pickedKeys.clear();
        g_clientNamesText.clear();
        g_clientKeysText.clear();
        g_listSeparator.clear();
        g_hostWnd = 0;
        g_hostPickMsg = 0;
    }
    static void HandOver(const char* names, const char* keys, const char* separator) {
        g_clientNamesText = names;
        g_clientKeysText = keys;
        g_listSeparator = separator;
    }
};

OrviStringArray Split(const std::string& source, const std::string& separator) {
    OrviStringArray out;
    SplitBySeparator(source, separator, out);
    return out;
}

TEST(SplitBySeparator, PiecesEmptyPiecesAndTrailingSeparator) {
    EXPECT_EQ(Split("", ","), OrviStringArray{""});
    EXPECT_EQ(Split("a,b", ","), (OrviStringArray{"a", "b"}));
    EXPECT_EQ(Split("a,,b", ","), (OrviStringArray{"a", "", "b"}));
    EXPECT_EQ(Split("a,b,", ","), (OrviStringArray{"a", "b"}));
    EXPECT_EQ(Split(",a", ","), (OrviStringArray{"", "a"}));
    EXPECT_EQ(Split("张三||李四||", "||"), (OrviStringArray{"张三", "李四"}));
    EXPECT_EQ(Split("abc", "abcd"), OrviStringArray{"abc"});
    // An empty separator cannot split: the whole text is one piece.
    EXPECT_EQ(Split("a,b", ""), OrviStringArray{"a,b"});
}

TEST(ParseClientLists, KeysAreReadAsDecimalNumbers) {
    OrviStringArray names;
    OrviKeyArray keys;
    ParseClientLists("甲;乙;丙", "101;x;103", ";", names, keys);
    EXPECT_EQ(names, (OrviStringArray{"甲", "乙", "丙"}));
    EXPECT_EQ(keys, (OrviKeyArray{101, 0, 103}));

    keys.clear();
    ParseClientLists("", "  42abc, +7,-1,99999999999999999999", ",", names, keys);
    EXPECT_EQ(keys, (OrviKeyArray{42, 7, 0xFFFFFFFFu, 0x7FFFFFFFu}));
}

TEST_F(CallContext, ListsAreBuiltFromTheTextsOnFirstUse) {
    HandOver("张三,李四", "101,102", ",");
    EXPECT_TRUE(g_clientNames.empty());
    EXPECT_EQ(GetClientName(102), "李四");
    EXPECT_EQ(g_clientNames, (OrviStringArray{"张三", "李四"}));
    EXPECT_EQ(g_clientKeys, (OrviKeyArray{101, 102}));
    EXPECT_EQ(GetClientKey("张三"), 101u);
    EXPECT_EQ(GetClientKey("张"), 0u);
    EXPECT_EQ(GetClientKey(""), 0u);
    EXPECT_EQ(GetClientName(103), "");
}

TEST_F(CallContext, ListsHandedOverEarlierStayInForce) {
    g_clientNames = {"王五"};
    g_clientKeys = {7};
    HandOver("张三,李四", "101,102", ",");
    EXPECT_EQ(GetClientName(101), "");
    EXPECT_EQ(GetClientName(7), "王五");
    EXPECT_EQ(g_clientNames.size(), 1u);
}

TEST_F(CallContext, ListsOfDifferentLengthsNeverReadPastEitherEnd) {
    HandOver("a,b,c", "1,2", ",");
    EXPECT_EQ(GetClientKey("b"), 2u);
    EXPECT_EQ(GetClientKey("c"), 0u);

    Reset();
    HandOver("a", "1,2,3", ",");
    EXPECT_EQ(GetClientName(1), "a");
    EXPECT_EQ(GetClientName(3), "");

    Reset();
    g_pickedNames = {"x", "y"};
    g_pickedKeys = {5};
    EXPECT_EQ(GetClientKey("y"), 0u);
    g_pickedNames = {"x"};
    g_pickedKeys = {5, 6};
    EXPECT_EQ(GetClientName(6), "");

    Reset();
    HandOver("a,b,c", "1,2", ",");
    QComboBox combo;
    FillClientCombo(&combo, 0, 1);
    ASSERT_EQ(combo.count(), 3);
    combo.setCurrentIndex(2);
    EXPECT_EQ(GetComboClientKey(&combo), 0u);
    combo.setCurrentIndex(1);
    EXPECT_EQ(GetComboClientKey(&combo), 2u);
}

TEST_F(CallContext, LastPickTakesPrecedenceWhileItHasKeys) {
    HandOver("张三,李四", "101,102", ",");
    g_pickedNames = {"王五"};
    g_pickedKeys = {201};
    EXPECT_EQ(GetClientKey("张三"), 0u);
    EXPECT_EQ(GetClientKey("王五"), 201u);
    EXPECT_EQ(GetClientName(101), "");
    EXPECT_EQ(GetClientName(201), "王五");
    g_pickedKeys.clear();
    EXPECT_EQ(GetClientKey("张三"), 101u);
}

TEST_F(CallContext, FillClientComboSelectsTheLastEntryOfTheKey) {
    HandOver("甲,乙,丙", "1,2,1", ",");
    QComboBox combo;
    combo.addItem("old");
    FillClientCombo(&combo, 1, 0);
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), "甲");
    EXPECT_EQ(combo.currentIndex(), 2);
    EXPECT_EQ(GetComboClientKey(&combo), 1u);

    FillClientCombo(&combo, 9, 1);
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(GetComboClientKey(&combo), 0u);
}

// A host window that answers the pick the way the test tells it to.
struct FakeHost : OrviHostWnd {
    uint32_t seenMsg = 0;
    int calls = 0;
    std::function<intptr_t(ClientPickRequest*)> answer;

    FakeHost() {
        WindowProc = [](OrviHostWnd* self, uint32_t msg, uintptr_t, intptr_t lParam) {
            auto* host = static_cast<FakeHost*>(self);
            host->seenMsg = msg;
            ++host->calls;
            return host->answer(reinterpret_cast<ClientPickRequest*>(lParam));
        };
    }
};

TEST_F(CallContext, PickOfOneClientSelectsOrInsertsItsName) {
    HandOver("张三,李四", "101,102", ",");
    FakeHost host;
    g_hostWnd = reinterpret_cast<uintptr_t>(&host);
    g_hostPickMsg = 0x8001;
    host.answer = [](ClientPickRequest* request) {
        EXPECT_TRUE(request->pickedNames->empty());
        EXPECT_TRUE(request->groupNames->empty() && request->groupText->empty());
        *request->pickedNames = {"赵六"};
        *request->pickedKeys = {104};
        return intptr_t{104};
    };
    QComboBox combo;
    combo.setEditable(true);
    FillClientCombo(&combo, 101, 1);
    g_pickedNames = {"stale"};

    EXPECT_EQ(PickClientsFromHost(&combo), 104);
    EXPECT_EQ(host.seenMsg, 0x8001u);
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), "赵六");
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(combo.currentText(), "赵六");
    EXPECT_EQ(GetClientKey("赵六"), 104u);

    // Picking a client the box already lists selects it without adding another item.
    host.answer = [](ClientPickRequest* request) {
        *request->pickedNames = {"李四"};
        *request->pickedKeys = {102};
        return intptr_t{102};
    };
    EXPECT_EQ(PickClientsFromHost(&combo), 102);
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentText(), "李四");

    // A key the host names no client for changes nothing.
    host.answer = [](ClientPickRequest* request) {
        request->pickedKeys->clear();
        return intptr_t{555};
    };
    EXPECT_EQ(PickClientsFromHost(&combo), 555);
    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentText(), "李四");
}

TEST_F(CallContext, PickOfAGroupListsItsNamesAndAll) {
    FakeHost host;
    g_hostWnd = reinterpret_cast<uintptr_t>(&host);
    host.answer = [](ClientPickRequest* request) {
        *request->groupNames = {"张三", "王五"};
        *request->groupText = "VIP";
        return intptr_t{0};
    };
    QComboBox combo;
    combo.addItem("old");
    EXPECT_EQ(PickClientsFromHost(&combo), 0);
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(1), "王五");
    EXPECT_EQ(combo.currentText(), "全部");

    // Nothing chosen: nothing changes.
    host.answer = [](ClientPickRequest*) { return intptr_t{0}; };
    EXPECT_EQ(PickClientsFromHost(&combo), 0);
    EXPECT_EQ(combo.count(), 3);
}

TEST_F(CallContext, EveryComboEntryCarriesItsOwnKey) {
    HandOver("张三,李四", "101,102", ",");
    FakeHost host;
    g_hostWnd = reinterpret_cast<uintptr_t>(&host);
    host.answer = [](ClientPickRequest* request) {
        *request->pickedNames = {"赵六", "张三"};
        *request->pickedKeys = {104, 107};  // another 张三
        return intptr_t{104};
    };
    QComboBox combo;
    combo.setEditable(true);
    FillClientCombo(&combo, 102, 1);
    EXPECT_FALSE(IsPickedGroupCombo(&combo));
    PickClientsFromHost(&combo);  // 赵六 inserted at the top
    EXPECT_EQ(GetComboClientKey(&combo), 104u);
    combo.setCurrentIndex(2);
    EXPECT_EQ(GetComboClientKey(&combo), 102u);
    combo.setCurrentIndex(1);
    EXPECT_EQ(GetComboClientKey(&combo), 101u);  // the handed-over 张三, not the picked one
    combo.setEditText("李四");                   // typed over the selection
    EXPECT_EQ(GetComboClientKey(&combo), 102u);
    combo.setEditText("赵六");
    EXPECT_EQ(GetComboClientKey(&combo), 104u);
    combo.setEditText("无名");
    EXPECT_EQ(GetComboClientKey(&combo), 0u);

    // The picked 张三 is another client than the listed one: it gets an entry of its own.
    host.answer = [](ClientPickRequest* request) {
        *request->pickedNames = {"张三"};
        *request->pickedKeys = {107};
        return intptr_t{107};
    };
    PickClientsFromHost(&combo);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(GetComboClientKey(&combo), 107u);

    // A group: keys from the pick, or from the request when the host wrote them there.
    host.answer = [](ClientPickRequest* request) {
        *request->pickedNames = {"李四", "张三"};
        *request->pickedKeys = {102, 101};
        *request->groupNames = {"李四", "张三"};
        *request->groupText = "组";
        return intptr_t{0};
    };
    PickClientsFromHost(&combo);
    EXPECT_TRUE(IsPickedGroupCombo(&combo));
    EXPECT_EQ(GetComboEntryKey(&combo, 0), 102u);
    EXPECT_EQ(GetComboEntryKey(&combo, 1), 101u);
    EXPECT_EQ(GetComboClientKey(&combo), 0u);  // "全部"
    host.answer = [](ClientPickRequest* request) {
        request->pickedKeys->clear();
        *request->groupNames = {"甲", "乙"};
        *request->groupKeys = {31, 32};
        *request->groupText = "组";
        return intptr_t{0};
    };
    PickClientsFromHost(&combo);
    combo.setCurrentIndex(1);
    EXPECT_EQ(GetComboClientKey(&combo), 32u);
    FillClientCombo(&combo, 101, 0);
    EXPECT_FALSE(IsPickedGroupCombo(&combo));
}

TEST_F(CallContext, WithoutHostWindowAPickChangesNothing) {
    HandOver("张三", "101", ",");
    QComboBox combo;
    FillClientCombo(&combo, 101, 1);
    EXPECT_EQ(PickClientsFromHost(&combo), 0);
    EXPECT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.currentText(), "张三");
}

}  // namespace
