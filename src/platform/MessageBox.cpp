#include "platform/MessageBox.h"

#include "platform/Failure.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {

MessageHandler &installedHandler()
{
    static MessageHandler handler;
    return handler;
}

QMessageBox::StandardButton toStandard(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok: return QMessageBox::Ok;
    case MessageAnswer::Cancel: return QMessageBox::Cancel;
    case MessageAnswer::Yes: return QMessageBox::Yes;
    case MessageAnswer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

MessageAnswer fromStandard(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return MessageAnswer::Ok;
    }
}

} // namespace

void prepareMessageBox(QMessageBox &box, const MessageRequest &request)
{
    box.setWindowTitle(request.title);
    // File names may hold "<" and "&": a box always says exactly the text it was given.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    switch (request.icon) {
    case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (request.buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    box.setDefaultButton(toStandard(request.defaultButton));
}

namespace {

MessageAnswer showRealBox(const MessageRequest &request)
{
    QMessageBox box(QApplication::activeWindow());
    prepareMessageBox(box, request);
    const int result = box.exec();
    // Closing the box by its caption button counts as the escape answer.
    if (request.buttons == MessageButtons::OkCancel && result != QMessageBox::Ok)
        return MessageAnswer::Cancel;
    return fromStandard(result);
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Shelfmaster - Marrowby 1999");
}

MessageAnswer showMessage(const MessageRequest &request)
{
    if (installedHandler())
        return installedHandler()(request);
    return showRealBox(request);
}

void setMessageHandler(MessageHandler handler)
{
    installedHandler() = std::move(handler);
}

MessageAnswer message(const QString &text, MessageIcon icon, MessageButtons buttons,
                      MessageAnswer defaultButton)
{
    return showMessage({applicationTitle(), text, icon, buttons, defaultButton});
}

void showPathMissing()
{
    showMessage({QStringLiteral("Error!"), QStringLiteral("The path is missing"), MessageIcon::Critical});
}

void showFailure(const Failure &failure)
{
    message(failure.text(), MessageIcon::Critical);
}

} // namespace platform
