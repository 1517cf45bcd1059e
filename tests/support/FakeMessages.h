#pragma once

#include "platform/MessageBox.h"

#include <QStringList>

// Records every message box instead of showing it and answers with scripted answers (the
// box's default button once the script is used up).
struct FakeMessages {
    Q_DISABLE_COPY(FakeMessages)
    FakeMessages()
    {
        platform::setMessageHandler([this](const platform::MessageRequest &request) {
            shown.append(request);
            if (whileShown) whileShown();
            return answers.isEmpty() ? request.defaultButton : answers.takeFirst();
        });
    }
    ~FakeMessages() { platform::setMessageHandler({}); }

    void answerNext(platform::MessageAnswer answer) { answers.append(answer); }
    QStringList texts() const
    {
        QStringList texts;
        for (const platform::MessageRequest &request : shown) texts << request.text;
        return texts;
    }

    QList<platform::MessageRequest> shown;
    // Runs while each box is up, for what happens meanwhile: the real box takes the keyboard
    // focus, the user may press keys.
    std::function<void()> whileShown;
    QList<platform::MessageAnswer> answers;
};
