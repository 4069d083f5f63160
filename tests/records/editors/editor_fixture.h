// The record windows' arrangement, with helpers to work an editor's controls by id and to
// answer the modal editors a command shows.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "records/editors/editor_factory.h"
#include "records/editors/record_edit_dlg.h"
#include "support/record_windows.h"

// "id=text|id=text": texts for controls, or list columns, by number.
inline std::vector<std::pair<int, std::string>> Pairs(const std::string& text) {
    std::vector<std::pair<int, std::string>> out;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, '|');)
        out.emplace_back(std::stoi(item), item.substr(item.find('=') + 1));
    return out;
}

class EditorFixture : public RecordWindowsTest {
protected:
    // Values v1, v2, ... of a kind.
    void AddManyParams(int kind, int count) {
        Exec(Numbers(count) +
             "INSERT INTO ObjectPar (ObjectParName, ObjectParType) SELECT 'v' || i, " +
             std::to_string(kind) + " FROM n");
    }

    // The editor of kind, shown with the values (else its defaults) and contact key.
    static std::unique_ptr<CRecordEditDlg> Open(RecordKind kind, int mode,
                                                std::vector<std::string> values = {},
                                                long key = 0) {
        auto dlg = CreateRecordEditor(kind, nullptr);
        dlg->m_mode = mode;
        dlg->m_contactKey = key;
        if (!values.empty()) dlg->m_values = std::move(values);
        dlg->InitDialog();
        dlg->show();
        return dlg;
    }
    static std::string Shown(QWidget* dlg, int id) {
        if (auto* edit = Control<QLineEdit>(dlg, id)) return edit->text().toStdString();
        if (auto* combo = Control<QComboBox>(dlg, id)) return combo->currentText().toStdString();
        return "<no control>";
    }
    static void Type(QWidget* dlg, int id, const std::string& text) {
        auto* combo = Control<QComboBox>(dlg, id);
        QLineEdit* edit = combo ? combo->lineEdit() : Control<QLineEdit>(dlg, id);
        ASSERT_TRUE(edit) << id;
        edit->setFocus();
        edit->selectAll();
        edit->del();
        TypeKeys(edit, QString::fromStdString(text));
    }
    // Chooses the entry equal to text from the list.
    static void Pick(QWidget* dlg, int id, const std::string& text) {
        auto* combo = Control<QComboBox>(dlg, id);
        ASSERT_TRUE(combo) << id;
        const int index = combo->findText(QString::fromStdString(text));
        ASSERT_GE(index, 0) << text;
        combo->setCurrentIndex(index);
    }
    static bool PressOk(CRecordEditDlg& dlg) {
        QTest::mouseClick(Control<QPushButton>(&dlg, IDC_EDIT_OK), Qt::LeftButton);
        return dlg.isHidden() && dlg.result() == 1;
    }
    static void WaitLoaded(CRecordEditDlg& dlg) {
        ASSERT_TRUE(WaitUntil([&dlg] { return !dlg.LoadersRunning(); }));
    }
    // Runs command and works each editor it shows with the next of answers; an editor left
    // open, or one beyond the answers, is cancelled, so an unexpected editor cannot hang.
    static void AnswerEditors(const std::function<void()>& command,
                              std::vector<std::function<void(CRecordEditDlg*)>> answers) {
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
};
