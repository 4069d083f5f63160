#include "platform/qt/qt_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <cstdlib>

#include "platform/message_box.h"
#include "platform/message_layer.h"

namespace {

int g_appDepth = 0;

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Error:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

int PresentWithQMessageBox(const MessageInfo& info) {
    QWidget* owner = nullptr;
    if (MessageTarget* target = TargetFromHandle(info.owner)) owner = target->GetOwnerWidget();
    if (!owner) owner = QApplication::activeModalWidget();
    QMessageBox box(ToQtIcon(info.icon), QString::fromStdString(info.caption),
                    QString::fromStdString(info.text), QMessageBox::NoButton, owner);
    box.setObjectName("OrviMessageBox");
    switch (info.buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Ok:
            return IDOK;
        default:
            // Closed without a button: the escape answer.
            return info.buttons == MsgButtons::Ok      ? IDOK
                   : info.buttons == MsgButtons::YesNo ? IDNO
                                                       : IDCANCEL;
    }
}

// Lives on one thread and drains that thread's inbox whenever something is queued.
class InboxDispatcher : public QObject {
public:
    using QObject::QObject;
};

}  // namespace

void InstallQtPlatform() {
    thread_local QPointer<InboxDispatcher> dispatcher;
    if (!dispatcher) {
        QObject* app = QCoreApplication::instance();
        bool onAppThread = QThread::currentThread() == app->thread();
        dispatcher = new InboxDispatcher(onAppThread ? app : nullptr);
        QPointer<InboxDispatcher> target = dispatcher;
        SetInboxWaker(CurrentInbox(), [target] {
            if (!target) return;
            QMetaObject::invokeMethod(
                target.data(), [] { DispatchQueuedMessages(); }, Qt::QueuedConnection);
        });
    }
    if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
        SetMessagePresenter(PresentWithQMessageBox, CurrentInbox());
        SetAppDisplayNameProvider(
            [] { return QGuiApplication::applicationDisplayName().toStdString(); });
    }
}

ScopedModuleApplication::ScopedModuleApplication() {
    if (g_appDepth++ == 0 && !QApplication::instance()) {
        // No display at all: draw off screen rather than fail.
        if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
            !std::getenv("WAYLAND_DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "OrviCrm";
        static char* argv[] = {name, nullptr};
        m_ownApp = std::make_unique<QApplication>(argc, argv);
    }
    InstallQtPlatform();
}

ScopedModuleApplication::~ScopedModuleApplication() {
    --g_appDepth;
    if (m_ownApp) {
        SetMessagePresenter({}, nullptr);
        SetAppDisplayNameProvider({});
        DispatchPendingMessages();
        m_ownApp.reset();
    }
}

void SetControlId(QWidget* control, int id) {
    control->setObjectName(QStringLiteral("id%1").arg(id));
}

void MakeTypedTextCombo(QComboBox* combo) {
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
}

CWaitCursor::CWaitCursor() {
    if (QApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread()) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_active = true;
    }
}

CWaitCursor::~CWaitCursor() {
    if (m_active) QGuiApplication::restoreOverrideCursor();
}
