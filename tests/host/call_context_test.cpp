#include <gtest/gtest.h>

#include <QComboBox>

#include "host/call_context.h"

namespace {

using Texts = std::vector<std::string>;

// The combo's entries as "name=key", the current one marked with "*".
Texts Entries(QComboBox& combo) {
    Texts out;
    for (int i = 0; i < combo.count(); ++i)
        out.push_back(combo.itemText(i).toStdString() + "=" +
                      std::to_string(GetComboEntryKey(&combo, i)) +
                      (i == combo.currentIndex() ? "*" : ""));
    return out;
}

// What the host writes into a pick request, and the answer it returns.
struct Pick {
    OrviStringArray names;
    OrviKeyArray keys;
    OrviStringArray groupNames;
    OrviKeyArray groupKeys;
    std::string groupText;
    intptr_t answer = 0;
};

// A host window that answers every pick with `next`, after checking the request is fresh.
struct FakeHost : OrviHostWnd {
    uint32_t seenMsg = 0;
    Pick next;

    FakeHost() {
        WindowProc = [](OrviHostWnd* self, uint32_t msg, uintptr_t, intptr_t lParam) {
            auto* host = static_cast<FakeHost*>(self);
            auto* request = reinterpret_cast<ClientPickRequest*>(lParam);
            host->seenMsg = msg;
            EXPECT_TRUE(request->pickedNames->empty() && request->groupNames->empty() &&
                        request->groupKeys->empty() && request->groupText->empty());
            *request->pickedNames = host->next.names;
            *request->pickedKeys = host->next.keys;
            *request->groupNames = host->next.groupNames;
            *request->groupKeys = host->next.groupKeys;
            *request->groupText = host->next.groupText;
            return host->next.answer;
        };
    }
};

class CallContext : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        g_clientNames = g_pickedNames = {};
        g_clientKeys = g_pickedKeys = {};
        g_clientNamesText = g_clientKeysText = g_listSeparator = "";
        g_hostWnd = g_hostPickMsg = 0;
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
    ParseClientLists("甲;乙", "  42abc; +7;x;-1;99999999999999999999", ";", names, keys);
    EXPECT_EQ(names, (OrviStringArray{"甲", "乙"}));
    EXPECT_EQ(keys, (OrviKeyArray{42, 7, 0, 0xFFFFFFFFu, 0x7FFFFFFFu}));
}

TEST_F(CallContext, ListsAreBuiltOnFirstUseAndALastPickTakesPrecedence) {
    HandOver("张三,李四", "101,102", ",");
    EXPECT_TRUE(g_clientNames.empty());
    EXPECT_EQ(GetClientName(102), "李四");
    EXPECT_EQ(g_clientNames, (OrviStringArray{"张三", "李四"}));
    EXPECT_EQ(g_clientKeys, (OrviKeyArray{101, 102}));
    EXPECT_EQ(GetClientKey("张三"), 101u);
    EXPECT_EQ(GetClientKey("张"), 0u);
    EXPECT_EQ(GetClientKey(""), 0u);
    EXPECT_EQ(GetClientName(103), "");

    // The last pick takes precedence while it has keys.
    g_pickedNames = {"王五"};
    g_pickedKeys = {201};
    EXPECT_EQ(GetClientKey("张三"), 0u);
    EXPECT_EQ(GetClientKey("王五"), 201u);
    EXPECT_EQ(GetClientName(101), "");
    EXPECT_EQ(GetClientName(201), "王五");
    g_pickedKeys.clear();
    EXPECT_EQ(GetClientKey("张三"), 101u);
}

TEST_F(CallContext, ListsOfDifferentLengthsNeverReadPastEitherEndAndEarlierListsStay) {
    HandOver("a,b,c", "1,2", ",");
    EXPECT_EQ(GetClientKey("b"), 2u);
    EXPECT_EQ(GetClientKey("c"), 0u);
    Reset();
    HandOver("a", "1,2,3", ",");
    EXPECT_EQ(GetClientName(1), "a");
    EXPECT_EQ(GetClientName(3), "");
    g_pickedNames = {"x", "y"};
    g_pickedKeys = {5};
    EXPECT_EQ(GetClientKey("y"), 0u);
    g_pickedNames = {"x"};
    g_pickedKeys = {5, 6};
    EXPECT_EQ(GetClientName(6), "");

    // Lists handed over earlier stay in force.
    Reset();
    g_clientNames = {"王五"};
    g_clientKeys = {7};
    HandOver("张三,李四", "101,102", ",");
    EXPECT_EQ(GetClientName(101), "");
    EXPECT_EQ(GetClientName(7), "王五");
    EXPECT_EQ(g_clientNames.size(), 1u);
}

// Every handed-over name is listed, a name without a key too.
TEST_F(CallContext, FillClientComboSelectsTheLastEntryOfTheKey) {
    HandOver("甲,乙,丙,丁", "1,2,1", ",");
    QComboBox combo;
    combo.addItem("old");
    FillClientCombo(&combo, 1, 0);
    EXPECT_EQ(Entries(combo), (Texts{"甲=1", "乙=2", "丙=1*", "丁=0"}));
    combo.setCurrentIndex(3);
    EXPECT_EQ(GetComboClientKey(&combo), 0u);
    FillClientCombo(&combo, 9, 1);
    EXPECT_EQ(Entries(combo), (Texts{"甲=1", "乙=2", "丙=1", "丁=0"}));
    EXPECT_EQ(GetComboClientKey(&combo), 0u);
    // Without a host window a pick changes nothing.
    combo.setCurrentIndex(1);
    EXPECT_EQ(PickClientsFromHost(&combo), 0);
    EXPECT_EQ(Entries(combo), (Texts{"甲=1", "乙=2*", "丙=1", "丁=0"}));
}

// Picks in turn on an editable box listing 张三 (101) and 李四 (102, current): the box shows
// the picked client, inserted at the top unless listed for the same key, or a group and
// 全部; every entry keeps its own key, also when typed over.
TEST_F(CallContext, PickedClientsAndGroupsFillTheBoxWithTheirOwnKeys) {
    HandOver("张三,李四", "101,102", ",");
    FakeHost host;
    g_hostWnd = reinterpret_cast<uintptr_t>(&host);
    g_hostPickMsg = 0x8001;
    QComboBox combo;
    combo.setEditable(true);
    FillClientCombo(&combo, 102, 1);
    EXPECT_FALSE(IsPickedGroupCombo(&combo));
    g_pickedNames = {"stale"};
    host.next = {{"赵六", "张三"}, {104, 107}, {}, {}, "", 104};  // another 张三
    EXPECT_EQ(PickClientsFromHost(&combo), 104);
    EXPECT_EQ(Entries(combo), (Texts{"赵六=104*", "张三=101", "李四=102"}));
    EXPECT_EQ(GetComboClientKey(&combo), 104u);
    EXPECT_EQ(GetClientKey("赵六"), 104u);
    combo.setCurrentIndex(1);
    EXPECT_EQ(GetComboClientKey(&combo), 101u);  // the handed-over 张三, not the picked one
    const std::pair<const char*, uint32_t> typed[] = {{"李四", 102}, {"赵六", 104}, {"无名", 0}};
    for (const auto& [text, key] : typed) {
        combo.setEditText(QString::fromUtf8(text));
        EXPECT_EQ(GetComboClientKey(&combo), key) << text;
    }
    const struct {
        Pick pick;
        Texts entries;
        uint32_t key;  // of the current entry
    } steps[] = {
        {{{"李四"}, {102}, {}, {}, "", 102}, {"赵六=104", "张三=101", "李四=102*"}, 102},
        // a key the host names no client for changes nothing
        {{{}, {}, {}, {}, "", 555}, {"赵六=104", "张三=101", "李四=102*"}, 102},
        // another 张三 than the listed one gets an entry of its own
        {{{"张三"}, {107}, {}, {}, "", 107},
         {"张三=107*", "赵六=104", "张三=101", "李四=102"},
         107},
        // a group: keys from the pick, or from the request when the host wrote them there
        {{{"李四", "张三"}, {102, 101}, {"李四", "张三"}, {}, "组", 0},
         {"李四=102", "张三=101", "全部=0*"},
         0},
        {{{}, {}, {"甲", "乙"}, {31, 32}, "组", 0}, {"甲=31", "乙=32", "全部=0*"}, 0},
        // nothing chosen: nothing changes
        {{}, {"甲=31", "乙=32", "全部=0*"}, 0},
    };
    for (const auto& step : steps) {
        host.next = step.pick;
        EXPECT_EQ(PickClientsFromHost(&combo), step.pick.answer);
        EXPECT_EQ(Entries(combo), step.entries) << step.pick.answer;
        EXPECT_EQ(GetComboClientKey(&combo), step.key) << step.pick.answer;
    }
    EXPECT_EQ(host.seenMsg, 0x8001u);
    EXPECT_TRUE(IsPickedGroupCombo(&combo));
    FillClientCombo(&combo, 101, 0);
    EXPECT_FALSE(IsPickedGroupCombo(&combo));
}

}  // namespace
