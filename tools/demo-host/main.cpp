// orvicrm-host: a small call-centre host that loads libOrviCrm.so (from its own folder, else
// the installed libOrviCrm.so.<major>) and opens the CRM main window for a demo client (or, with
// --stat, the statistics window). It answers the module's client pick with a dialog of its own.
// With --snapshot DIR it renders every window the module opens to DIR/<name>.png, closes it and
// exits.
#include <dlfcn.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "orvicrm/orvicrm.h"

namespace {

using OpenCrm2Fn = int32_t (*)(const char*, const char*, const char*, int32_t, uintptr_t, uint32_t);
using OpenCrmStatFn = int32_t (*)(uint32_t, uint32_t, uint32_t, uint32_t);

constexpr uint32_t kPickMessage = 0x8000 + 17;

struct DemoClient {
    const char* name;
    uint32_t key;
};
constexpr DemoClient kClients[] = {
    {"张三", 101}, {"李四", 102}, {"王五", 103}, {"赵六", 104}, {"钱七", 105},
};

// The host's pick: one client (its key is the answer) or a group of the ticked clients.
intptr_t AnswerPick(ClientPickRequest* request) {
    QDialog dialog(QApplication::activeModalWidget());
    dialog.setWindowTitle(QStringLiteral("选择客户"));
    auto* list = new QListWidget(&dialog);
    for (const DemoClient& client : kClients) {
        auto* item = new QListWidgetItem(QString::fromUtf8(client.name), list);
        item->setData(Qt::UserRole, client.key);
        item->setCheckState(Qt::Unchecked);
    }
    list->setCurrentRow(0);
    auto* one = new QPushButton(QStringLiteral("选择当前客户"), &dialog);
    auto* group = new QPushButton(QStringLiteral("选择打钩的一组"), &dialog);
    auto* cancel = new QPushButton(QStringLiteral("取消"), &dialog);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(one);
    buttons->addWidget(group);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("选择一位客户，或给一组客户打钩："), &dialog));
    layout->addWidget(list);
    layout->addLayout(buttons);
    QObject::connect(one, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(1); });
    QObject::connect(group, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(2); });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    int choice = dialog.exec();
    request->pickedNames->clear();
    request->pickedKeys->clear();
    if (choice == 1 && list->currentItem()) {
        QListWidgetItem* item = list->currentItem();
        request->pickedNames->push_back(item->text().toStdString());
        request->pickedKeys->push_back(item->data(Qt::UserRole).toUInt());
        return static_cast<intptr_t>(item->data(Qt::UserRole).toUInt());
    }
    if (choice == 2) {
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            if (item->checkState() != Qt::Checked) continue;
            request->pickedNames->push_back(item->text().toStdString());
            request->pickedKeys->push_back(item->data(Qt::UserRole).toUInt());
            request->groupNames->push_back(item->text().toStdString());
            request->groupKeys->push_back(item->data(Qt::UserRole).toUInt());
        }
        if (!request->groupNames->empty()) *request->groupText = "演示客户组";
    }
    return 0;
}

intptr_t HostWindowProc(OrviHostWnd*, uint32_t msg, uintptr_t, intptr_t lParam) {
    if (msg != kPickMessage || !lParam) return 0;
    return AnswerPick(reinterpret_cast<ClientPickRequest*>(lParam));
}

// Renders each modal window of the module once: the main window with a picture per tab,
// other windows as they are; then closes it. A message box is photographed and answered
// whenever it shows, also while a window is being walked (the box then runs inside that
// walk), and counts as a failure.
class Snapshotter : public QObject {
public:
    explicit Snapshotter(const QString& folder) : m_folder(folder) {
        QDir().mkpath(folder);
        connect(&m_timer, &QTimer::timeout, this, &Snapshotter::Poll);
        m_timer.start(250);
        connect(&m_boxTimer, &QTimer::timeout, this, &Snapshotter::AnswerBoxes);
        m_boxTimer.start(100);
    }
    bool Failed() const { return m_failed; }

private:
    void Save(QWidget* window, const QString& name) {
        QString path = m_folder + "/" + name + ".png";
        if (window->grab().save(path)) {
            std::printf("%s\n", path.toUtf8().constData());
        } else {
            std::fprintf(stderr, "cannot write %s\n", path.toUtf8().constData());
            m_failed = true;
        }
    }
    void AnswerBoxes() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box || !box->isVisible() || box->property(kAnswered).toBool()) continue;
            box->setProperty(kAnswered, true);
            m_failed = true;
            std::fprintf(stderr, "message box: %s\n", box->text().toUtf8().constData());
            QString name = box->objectName().isEmpty() ? QStringLiteral("box") : box->objectName();
            Save(box, name + QString::number(++m_boxes));
            // The box may belong to a walk further up this stack: leave it from its own loop.
            QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
        }
    }
    // Lets the shown page finish loading (its 停止 button goes grey), for at most 5 s.
    static void WaitForLoads(QWidget* window) {
        QElapsedTimer clock;
        clock.start();
        auto loading = [window] {
            for (auto* stop : window->findChildren<QPushButton*>(QStringLiteral("id1068")))
                if (stop->isVisible() && stop->isEnabled()) return true;
            return false;
        };
        while (loading() && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // The statistics window after a sales run by month over the demo years: its table
    // sheet and its chart sheet.
    void SaveSalesStatistics(QWidget* window) {
        auto* page = window->findChild<QWidget*>(QStringLiteral("CSaleStatPage"));
        if (!page) return;
        auto* from = page->findChild<QDateTimeEdit*>(QStringLiteral("id1130"));
        auto* to = page->findChild<QDateTimeEdit*>(QStringLiteral("id1132"));
        auto* unit = page->findChild<QComboBox*>(QStringLiteral("id1001"));
        auto* run = page->findChild<QPushButton*>(QStringLiteral("id1273"));
        auto* sheets = page->findChild<QTabBar*>();
        if (!from || !to || !unit || !run || !sheets) return;
        from->setDate(QDate(2006, 1, 1));
        to->setDate(QDate(2010, 12, 31));
        unit->setCurrentIndex(1);
        run->click();
        WaitForLoads(window);
        Save(window, QStringLiteral("CStatDlg_sales_table"));
        sheets->setCurrentIndex(1);
        Save(window, QStringLiteral("CStatDlg_sales_chart"));
        sheets->setCurrentIndex(0);
    }
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->property(kPhotographed).toBool() || qobject_cast<QMessageBox*>(modal))
            return;
        modal->setProperty(kPhotographed, true);
        QPointer<QWidget> window(modal);
        QString name =
            modal->objectName().isEmpty() ? QStringLiteral("window") : modal->objectName();
        WaitForLoads(modal);
        Save(modal, name);
        if (name == QStringLiteral("CStatDlg")) SaveSalesStatistics(modal);
        if (auto* tabs = modal->findChild<QTabBar*>()) {
            for (int i = 0; window && i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                WaitForLoads(modal);
                if (window) Save(modal, QStringLiteral("%1_tab%2").arg(name).arg(i));
            }
            if (window) tabs->setCurrentIndex(0);
        }
        if (!window) return;
        if (auto* close = modal->findChild<QPushButton*>(QStringLiteral("id1"))) close->click();
    }

    QString m_folder;
    QTimer m_timer;
    QTimer m_boxTimer;
    // Marks on the windows already handled (an address may be reused by a later window).
    static constexpr const char* kPhotographed = "snapshotPhotographed";
    static constexpr const char* kAnswered = "snapshotAnswered";
    int m_boxes = 0;
    bool m_failed = false;
};

const char kHelp[] =
    "Usage: orvicrm-host [--stat] [--snapshot DIR]\n"
    "A demo call-centre host: opens the OrviCrm main window for a demo client.\n"
    "\n"
    "Options:\n"
    "  --stat            open the statistics window instead\n"
    "  --snapshot DIR    render every window the module opens to DIR/NAME.png, close\n"
    "                    it and exit (for machines without a display)\n"
    "  --help            show this text\n"
    "\n"
    "The module keeps its database and settings below this program's folder when it\n"
    "may write there, else in ~/.local/share/OrviCrm and ~/.config/OrviCrm.\n"
    "\n"
    "Exit status:\n"
    "  0 the window closed normally, 1 the module failed to load or open its window,\n"
    "  2 wrong arguments.\n";

// The module from the host's own folder (a host that carries its module), else the
// installed one by its SONAME through the library search path.
void* LoadModule(const QString& ownFolder, std::string* tried) {
    const std::string own = (ownFolder + "/libOrviCrm.so").toStdString();
    if (QFileInfo::exists(QString::fromStdString(own)))
        *tried = own;
    else
        *tried = ORVI_MODULE_SONAME;
    return dlopen(tried->c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

int main(int argc, char** argv) {
    // Before the application object, which needs a display.
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("OrviCrm"));

    bool stat = false;
    QString snapshotFolder;
    QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--stat") {
            stat = true;
        } else if (args[i] == "--snapshot" && i + 1 < args.size()) {
            snapshotFolder = args[++i];
        } else {
            std::fprintf(stderr, "usage: orvicrm-host [--stat] [--snapshot DIR]\n");
            return 2;
        }
    }

    std::string libraryPath;
    void* library = LoadModule(QApplication::applicationDirPath(), &libraryPath);
    if (!library) {
        std::fprintf(stderr, "cannot load %s: %s\n", libraryPath.c_str(), dlerror());
        return 1;
    }
    auto openCrm2 = reinterpret_cast<OpenCrm2Fn>(dlsym(library, "CM_OpenCrm2"));
    auto openStat = reinterpret_cast<OpenCrmStatFn>(dlsym(library, "CM_OpenCrmStat"));
    if (!openCrm2 || !openStat) {
        std::fprintf(stderr, "%s lacks the entry points\n", libraryPath.c_str());
        return 1;
    }

    std::unique_ptr<Snapshotter> snapshots;
    if (!snapshotFolder.isEmpty()) snapshots = std::make_unique<Snapshotter>(snapshotFolder);

    std::string names, keys;
    for (const DemoClient& client : kClients) {
        if (!names.empty()) {
            names += ",";
            keys += ",";
        }
        names += client.name;
        keys += std::to_string(client.key);
    }
    OrviHostWnd hostWindow{HostWindowProc};

    int result = 0;
    if (!stat)
        result = openCrm2(names.c_str(), keys.c_str(), ",", 101,
                          reinterpret_cast<uintptr_t>(&hostWindow), kPickMessage);
    if (stat || snapshots) result = openStat(0, 0, 0, 0);
    const bool failed = snapshots && snapshots->Failed();
    snapshots.reset();
    // The library stays loaded: Qt may still hold objects of its code until exit.
    return result == 1 && !failed ? 0 : 1;
}
