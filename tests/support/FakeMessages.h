#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <functional>

// Records every message box instead of showing it and answers with scripted answers (the
// box's default button once the script is used up).
class FakeMessages {
public:
    FakeMessages();
    ~FakeMessages();
    FakeMessages(const FakeMessages &) = delete;
    FakeMessages &operator=(const FakeMessages &) = delete;

    void answerNext(platform::MessageAnswer answer) { m_answers.append(answer); }
    QList<platform::MessageRequest> shown;
    // Runs while each box is up, for what happens meanwhile: the real box takes the keyboard
    // focus, the user may press keys.
    std::function<void()> whileShown;
    QStringList texts() const;

private:
    QList<platform::MessageAnswer> m_answers;
};
