// Reads every message box the code under test shows and answers it.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

class MessageCapture {
public:
    MessageCapture();  // installs itself as the message handler
    ~MessageCapture();

    // Answers for the next boxes, in order; after them OK / Yes is answered.
    void QueueAnswers(std::vector<int> answers);
    std::vector<MessageInfo> Messages() const;
    std::vector<std::string> Texts() const;
    std::vector<std::string> Boxes() const;  // "caption: text" of each
    size_t Count() const { return Messages().size(); }
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::vector<MessageInfo> m_messages;
    std::deque<int> m_answers;
};

// The handler outside a capture: the box fails the running test and is answered as a closed
// box would be, so no test waits on a box nobody sees.
int FailUnexpectedBox(const MessageInfo& info);
