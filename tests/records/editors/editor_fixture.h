// A module folder with a fresh database, the call context's clients, and helpers to reach
// an editor's controls by id and to answer a modal editor.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>

#include "host/call_context.h"
#include "records/editors/record_edit_dlg.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(m_temp.CreateDatabase().c_str(), &m_db), SQLITE_OK);
        g_clientNames = {"张三", "李四"};
        g_clientKeys = {5, 6};
        g_pickedNames.clear();
        g_pickedKeys.clear();
    }
    void TearDown() override {
        sqlite3_close(m_db);
        g_clientNames.clear();
        g_clientKeys.clear();
    }

    void Exec(const std::string& sql) {
        char* error = nullptr;
        ASSERT_EQ(sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "");
        sqlite3_free(error);
    }
    std::string Text(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        std::string out = "<none>";
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out = t ? reinterpret_cast<const char*>(t) : "";
        }
        sqlite3_finalize(st);
        return out;
    }
    void AddParams(int kind, std::initializer_list<const char*> names) {
        for (const char* name : names)
            Exec("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('" +
                 std::string(name) + "', " + std::to_string(kind) + ")");
    }
    // Values v0, v1, ... of a kind.
    void AddManyParams(int kind, int count) {
        Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
             std::to_string(count - 1) +
             ") INSERT INTO ObjectPar (ObjectParName, ObjectParType) "
             "SELECT 'v' || i, " +
             std::to_string(kind) + " FROM n");
    }

    template <typename T>
    static T* Control(QWidget* dlg, int id) {
        return dlg->findChild<T*>(QStringLiteral("id%1").arg(id));
    }
    static std::string Shown(QWidget* dlg, int id) {
        if (auto* edit = Control<QLineEdit>(dlg, id)) return edit->text().toStdString();
        if (auto* combo = Control<QComboBox>(dlg, id)) return combo->currentText().toStdString();
        return "<no control>";
    }
    static void Type(QWidget* dlg, int id, const std::string& text) {
        auto* edit = Control<QLineEdit>(dlg, id);
        if (!edit) {
            auto* combo = Control<QComboBox>(dlg, id);
            ASSERT_TRUE(combo) << id;
            edit = combo->lineEdit();
        }
        ASSERT_TRUE(edit) << id;
        edit->setFocus();
        edit->selectAll();
        edit->del();
        edit->insert(QString::fromStdString(text));
    }
    // Chooses the entry equal to text from the list.
    static void Pick(QWidget* dlg, int id, const std::string& text) {
        auto* combo = Control<QComboBox>(dlg, id);
        ASSERT_TRUE(combo) << id;
        const int index = combo->findText(QString::fromStdString(text));
        ASSERT_GE(index, 0) << text;
        combo->setCurrentIndex(index);
    }
    static void WaitLoaded(CRecordEditDlg& dlg) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (dlg.LoadersRunning() && std::chrono::steady_clock::now() < end) QTest::qWait(2);
        ASSERT_FALSE(dlg.LoadersRunning());
    }
    // Runs fn on the next modal editor once it is shown.
    static void WhenEditorShown(std::function<void(CRecordEditDlg*)> fn) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, fn] {
            auto* dlg = qobject_cast<CRecordEditDlg*>(QApplication::activeModalWidget());
            if (!dlg || !dlg->isVisible()) return;
            timer->stop();
            timer->deleteLater();
            fn(dlg);
        });
        timer->start(5);
    }

    TempModuleFolder m_temp;
    sqlite3* m_db = nullptr;
    MessageCapture m_capture;
};
