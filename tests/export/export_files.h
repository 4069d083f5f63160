// What an export file should hold, and what one holds.
//
// A workbook as an independent reader (Python's openpyxl) sees it, one line per sheet and
// per filled cell:
//   sheet 销售资料 frozen=A2 widths: A=12 B=8
//   A1 s '主题' bold
//   B2 n 12.5 [0.00]
//   C2 d 2007-03-01T14:05:09 [yyyy-mm-dd hh:mm:ss]
// (cell, openpyxl's data type, Python's repr of the value or the date in ISO form, the
// number format unless General, bold). The reader's error text when it fails.
#pragma once

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "export/table_writer.h"
#include "platform/win_types.h"
#include "support/probes.h"

std::string DumpWorkbook(const std::string& path);

// The HTML file titled title (written as it appears there) holding rows of cells, each cell
// as it appears in the file.
std::string HtmlTable(const std::string& title, const std::vector<std::vector<std::string>>& rows);

// A cell of a typed file: the kind, the value behind it and the text.
inline TableCell Typed(CellKind kind, double value, std::string text = "x") {
    TableCell cell(std::move(text));
    cell.kind = kind;
    cell.value = value;
    return cell;
}

inline void Click(const QWidget* window, int id) {
    QTest::mouseClick(Control<QPushButton>(window, id), Qt::LeftButton);
}

// Runs the dialog modally while `work` acts on it; a dialog still open afterwards is
// cancelled.
template <typename Dialog>
int RunWith(Dialog& dlg, const std::function<void()>& work) {
    QTimer::singleShot(0, &dlg, [&] {
        work();
        if (dlg.isVisible()) Click(&dlg, IDCANCEL);
    });
    return dlg.exec();
}
