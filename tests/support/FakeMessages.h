#pragma once

#include "platform/MessageBox.h"

#include <QList>

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
    QStringList texts() const;

private:
    QList<platform::MessageAnswer> m_answers;
};
