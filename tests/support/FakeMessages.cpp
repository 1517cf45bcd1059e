#include "FakeMessages.h"

FakeMessages::FakeMessages()
{
    platform::setMessageHandler([this](const platform::MessageRequest &request) {
        shown.append(request);
        if (whileShown)
            whileShown();
        return m_answers.isEmpty() ? request.defaultButton : m_answers.takeFirst();
    });
}

FakeMessages::~FakeMessages()
{
    platform::setMessageHandler({});
}

QStringList FakeMessages::texts() const
{
    QStringList result;
    for (const platform::MessageRequest &request : shown)
        result.append(request.text);
    return result;
}
