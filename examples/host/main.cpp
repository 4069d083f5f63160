// A minimal host: opens the OrviCrm statistics window in its own QApplication and returns
// when the user closes it. With --close it closes the window as soon as it shows (a run
// with nobody at the screen, e.g. QT_QPA_PLATFORM=offscreen).
#include <orvicrm/orvicrm.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTimer closer;
    if (argc > 1 && std::strcmp(argv[1], "--close") == 0) {
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* window = QApplication::activeModalWidget()) window->close();
        });
        closer.start(100);
    }
    // The module's windows are modal: this returns when the window is closed.
    const int32_t result = CM_OpenCrmStat(0, 0, 0, 0);
    std::printf("CM_OpenCrmStat answered %d\n", static_cast<int>(result));
    return result == 1 ? 0 : 1;
}
