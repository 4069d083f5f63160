// A module folder with a fresh database and a direct connection to it, the call context's
// clients, and helpers to reach an editor's controls by id and to answer a modal editor.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/call_context.h"
#include "records/editors/record_edit_dlg.h"
#include "support/message_capture.h"
#include "support/patience.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_sql = std::make_unique<TestSql>(m_temp.CreateDatabase());
        g_clientNames = {"张三", "李四"};
        g_clientKeys = {5, 6};
        g_pickedNames.clear();
        g_pickedKeys.clear();
    }
    void TearDown() override {
        m_sql.reset();
        g_clientNames.clear();
        g_clientKeys.clear();
    }

    void Exec(const std::string& sql) { m_sql->Exec(sql); }
    std::string Text(const std::string& sql) { return m_sql->Text(sql); }
    std::string Joined(const std::string& sql) { return m_sql->Joined(sql); }
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
        TypeKeys(edit, QString::fromStdString(text));
    }
    // Key by key; characters without a key of their own arrive as input-method text does.
    static void TypeKeys(QWidget* edit, const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClicks(edit, QString(c));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(edit, &commit);
            }
        }
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
        ASSERT_TRUE(WaitUntil([&dlg] { return !dlg.LoadersRunning(); }));
    }
    // Runs command and works each editor it shows with the next of answers; an editor left
    // open, or one beyond the answers, is cancelled, so an unexpected editor cannot hang.
    static void AnswerEditors(std::vector<std::function<void(CRecordEditDlg*)>> answers,
                              const std::function<void()>& command) {
        size_t next = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* dlg = qobject_cast<CRecordEditDlg*>(QApplication::activeModalWidget());
            if (!dlg || !dlg->isVisible()) return;
            if (next < answers.size()) answers[next++](dlg);
            if (dlg->isVisible()) dlg->OnCancel();
        });
        timer.start(5);
        command();
        EXPECT_EQ(next, answers.size()) << "editors shown";
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
    std::unique_ptr<TestSql> m_sql;
    MessageCapture m_capture;
};
