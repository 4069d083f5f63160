#include "platform/message_box.h"

#include <cstdio>
#include <mutex>

#include "platform/message_layer.h"

namespace {

std::mutex g_mutex;
MessagePresenter g_presenter;
ThreadInbox* g_presenterThread = nullptr;
MessagePresenter g_handler;
std::function<std::string()> g_nameProvider;

// Without any presenter (a program with no windows) the message goes to the error stream
// and the safe answer is taken: OK, or No/Cancel for a question.
int FallbackAnswer(const MessageInfo& info) {
    std::fprintf(stderr, "[%s] %s\n", info.caption.c_str(), info.text.c_str());
    switch (info.buttons) {
        case MsgButtons::Ok:
            return IDOK;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel:
            return IDCANCEL;
        case MsgButtons::YesNo:
            return IDNO;
    }
    return IDOK;
}

}  // namespace

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, MsgIcon icon,
                MsgButtons buttons) {
    MessageInfo info{owner, text, caption, icon, buttons};
    MessagePresenter handler, presenter;
    ThreadInbox* thread = nullptr;
    {
        std::lock_guard lock(g_mutex);
        handler = g_handler;
        presenter = g_presenter;
        thread = g_presenterThread;
    }
    if (handler) return handler(info);
    if (!presenter) return FallbackAnswer(info);
    return static_cast<int>(
        CallOnThread(thread, [&] { return static_cast<LRESULT>(presenter(info)); }));
}

int AppMessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    return ShowMessage(0, text, AppDisplayName(), icon, buttons);
}

void SetMessagePresenter(MessagePresenter presenter, ThreadInbox* uiThread) {
    std::lock_guard lock(g_mutex);
    g_presenter = std::move(presenter);
    g_presenterThread = uiThread;
}

void SetMessageHandler(MessagePresenter handler) {
    std::lock_guard lock(g_mutex);
    g_handler = std::move(handler);
}

void SetAppDisplayNameProvider(std::function<std::string()> provider) {
    std::lock_guard lock(g_mutex);
    g_nameProvider = std::move(provider);
}

std::string AppDisplayName() {
    std::function<std::string()> provider;
    {
        std::lock_guard lock(g_mutex);
        provider = g_nameProvider;
    }
    return provider ? provider() : std::string("OrviCrm");
}
