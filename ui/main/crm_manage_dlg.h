// The CRM main window "管理": the six record pages on a tab control, the button row that
// forwards to the current page, the record count, and its rectangle kept in the settings
// file.
#pragma once

#include <array>
#include <functional>

#include "data/schema.h"
#include "platform/win_types.h"
#include "ui/main/entry_dialog.h"
#include "ui/main/ini_file.h"

class CCrmTabCtrl;
class CPageWindow;
class QCheckBox;
class QLabel;
class QPushButton;

class CCrmManageDlg : public CEntryDialog {
    Q_OBJECT
public:
    explicit CCrmManageDlg(QWidget* parent = nullptr);
    ~CCrmManageDlg() override;

    // The client every page starts with; copied into the pages at start.
    void SetClientKey(int key) { m_clientKey = key; }
    int GetClientKey() const { return m_clientKey; }

    // Checks the database, creates the pages, restores the rectangle and lays out. 0 when
    // the database cannot be opened: the window must then not be shown.
    int OnInitDialog();
    // Starts the window and runs it modally; returns at once when the start fails.
    int DoModal();

    void LayoutControls(int w, int h);
    // Clamps the size to 595..1280 x 300..1024 and stores the rectangle in the settings.
    void SaveWindowRect(int left, int top, int width, int height);

    CCrmTabCtrl* GetTabCtrl() const { return m_tab; }
    CPageWindow* GetPage(RecordKind kind) const;
    bool IsStarted() const { return m_started != 0; }

    // Makes the page of each tab (CreateRecordPage unless replaced, e.g. by tests).
    using PageFactory = std::function<CPageWindow*(RecordKind, QWidget*)>;
    static void SetPageFactory(PageFactory factory);

    static constexpr int kMinWidth = 595;
    static constexpr int kMinHeight = 300;
    static constexpr int kMaxWidth = 1280;
    static constexpr int kMaxHeight = 1024;

protected:
    // The frame's share of the outer size (caption and borders); empty while the window
    // has no frame yet.
    virtual QSize FrameExtra() const;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RestoreWindowRect();
    // Takes the frame's size into the minimum and into a restored outer size, once the
    // frame is known.
    void FitToFrame();
    void OnTabClicked();
    void SendToCurrentPage(UINT msg, WPARAM wParam);
    void SendLayoutToPages();
    // Stores the rectangle and deletes the pages in tab order; once.
    void OnDestroy();

    int m_clientKey = 0;
    int m_started = 0;
    std::array<CPageWindow*, kRecordKindCount> m_pages{};
    CIniFile m_settings;
    QSize m_laidOut;            // the client size of the last layout
    QSize m_frameExtra;         // FrameExtra() as last measured
    QSize m_restoredOuterSize;  // the outer size read from the settings, if any

    CCrmTabCtrl* m_tab;
    QLabel* m_countCaption;
    QLabel* m_count;
    QPushButton* m_first;
    QPushButton* m_prev;
    QPushButton* m_next;
    QPushButton* m_last;
    QPushButton* m_call;
    QCheckBox* m_selectAll;
    QPushButton* m_view;
    QPushButton* m_new;
    QPushButton* m_delete;
    QPushButton* m_close;
};
