// Arranging the record windows: a module folder with a fresh database and a direct
// connection to it, the call context's clients 张三 (5) and 李四 (6), the message capture,
// a stand-in main window for one page, and helpers to reach and work controls by id.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "host/call_context.h"
#include "platform/qt/qt_platform.h"
#include "records/pages/page_factory.h"
#include "records/pages/record_page.h"
#include "support/message_capture.h"
#include "support/patience.h"
#include "support/probes.h"
#include "support/temp_dir.h"
#include "support/test_sql.h"

// Key by key; characters without a key of their own arrive as input-method text does.
inline void TypeKeys(QWidget* edit, const QString& text) {
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

// Runs fn on the next modal dialog of type T once it is shown.
template <typename T>
void WhenShown(std::function<void(T*)> fn) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, fn] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        fn(dlg);
    });
    timer->start(5);
}

class RecordWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_sql = std::make_unique<TestSql>(m_temp.CreateDatabase());
        g_clientNames = {"张三", "李四"};
        g_clientKeys = {5, 6};
        g_pickedNames.clear();
        g_pickedKeys.clear();
        m_main.resize(1100, 600);
        SetControlId(m_count, 1364);
        SetControlId(m_selectAll, 1044);
        m_tab->setGeometry(0, 0, 1100, 600);
    }
    void TearDown() override {
        m_page.reset();
        m_sql.reset();
        g_clientNames.clear();
        g_clientKeys.clear();
        g_hostWnd = 0;
        g_pickedNames.clear();
        g_pickedKeys.clear();
    }

    void Exec(const std::string& sql) { m_sql->Exec(sql); }
    std::string Text(const std::string& sql) { return m_sql->Text(sql); }
    std::string Joined(const std::string& sql) { return m_sql->Joined(sql); }
    long Count(const std::string& sql) { return m_sql->Number(sql); }
    // Parameters of a kind; a name must not hold an apostrophe.
    void AddParams(int kind, std::initializer_list<const char*> names) {
        for (const char* name : names)
            Exec("INSERT INTO ObjectPar (ObjectParName, ObjectParType) VALUES ('" +
                 std::string(name) + "', " + std::to_string(kind) + ")");
    }

    // Shows the page of kind (or the page given) for the client, loaded, in the main window.
    void OpenPage(RecordKind kind, int clientKey) {
        OpenPage(static_cast<CRecordPage*>(CreateRecordPage(kind, m_tab)), clientKey);
    }
    void OpenPage(CRecordPage* page, int clientKey) {
        m_page.reset(page);
        m_page->SetHosted(1);
        m_page->SetClientKey(clientKey);
        m_page->LayoutControls();
        m_main.show();
        m_page->show();
        WaitLoaded();
    }
    void WaitLoaded() {
        ASSERT_TRUE(WaitUntil([this] { return !m_page->IsLoading(); }));
    }
    std::string CountLabel() const { return m_count->text().toStdString(); }

    TempModuleFolder m_temp;
    std::unique_ptr<TestSql> m_sql;
    MessageCapture m_capture;
    QWidget m_main;
    QLabel* m_count = new QLabel(&m_main);
    QCheckBox* m_selectAll = new QCheckBox(&m_main);
    QWidget* m_tab = new QWidget(&m_main);
    std::unique_ptr<CRecordPage> m_page;
};
