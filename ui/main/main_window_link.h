// What a record page tells the main window that hosts it.
#pragma once

class QWidget;

// Sets the main window's count label (id1364) to "%ld" of count and its 全选 box (id1044)
// to selectAll, without a click; the main window is the parent of the page's parent.
// Does nothing for a page that is not hosted in a main window.
void ShowPageCount(QWidget* page, long count, int selectAll);
