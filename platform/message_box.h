// The one way the module shows a message box. The window layer installs the presenter that
// shows a real box; tests install a handler that reads the text and caption and answers.
#pragma once

#include <functional>
#include <string>

#include "platform/win_types.h"

struct ThreadInbox;

enum class MsgIcon { None, Information, Exclamation, Error, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

struct MessageInfo {
    HWND owner = 0;  // 0: no owner
    std::string text;
    std::string caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

using MessagePresenter = std::function<int(const MessageInfo&)>;

// Shows the box and returns the answer (IDOK, IDCANCEL, IDYES, IDNO). Callable from any
// thread: the box itself is shown on the presenter's thread.
int ShowMessage(HWND owner, const std::string& text, const std::string& caption,
                MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok);
// The application's own message box: its display name as caption.
int AppMessageBox(const std::string& text, MsgIcon icon = MsgIcon::None,
                  MsgButtons buttons = MsgButtons::Ok);

// The real presenter and the thread it must run on.
void SetMessagePresenter(MessagePresenter presenter, ThreadInbox* uiThread);
// Replaces the presenter while set (tests); runs on the calling thread. Pass {} to clear.
void SetMessageHandler(MessagePresenter handler);

// The application's display name: set explicitly, else what the provider answers.
void SetAppDisplayNameProvider(std::function<std::string()> provider);
std::string AppDisplayName();
