#include "support/message_capture.h"

#include <gtest/gtest.h>

MessageCapture::MessageCapture() {
    SetMessageHandler([this](const MessageInfo& info) {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(info);
        if (!m_answers.empty()) {
            int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return info.buttons == MsgButtons::YesNo || info.buttons == MsgButtons::YesNoCancel ? IDYES
                                                                                            : IDOK;
    });
}

MessageCapture::~MessageCapture() {
    SetMessageHandler(FailUnexpectedBox);
}

int FailUnexpectedBox(const MessageInfo& info) {
    ADD_FAILURE() << "a message box outside a capture: " << info.caption << ": " << info.text;
    return info.buttons == MsgButtons::Ok      ? IDOK
           : info.buttons == MsgButtons::YesNo ? IDNO
                                               : IDCANCEL;
}

void MessageCapture::QueueAnswers(std::vector<int> answers) {
    std::lock_guard lock(m_mutex);
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

std::vector<MessageInfo> MessageCapture::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<std::string> MessageCapture::Texts() const {
    std::vector<std::string> texts;
    for (const MessageInfo& m : Messages()) texts.push_back(m.text);
    return texts;
}

std::vector<std::string> MessageCapture::Boxes() const {
    std::vector<std::string> boxes;
    for (const MessageInfo& m : Messages()) boxes.push_back(m.caption + ": " + m.text);
    return boxes;
}

void MessageCapture::Clear() {
    std::lock_guard lock(m_mutex);
    m_messages.clear();
}
