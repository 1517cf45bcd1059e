#pragma once

#include <QString>
#include <functional>

class QMessageBox;

namespace platform {

enum class MessageIcon { None, Critical, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;

    bool operator==(const MessageRequest &) const = default;
};

using MessageHandler = std::function<MessageAnswer(const MessageRequest &)>;

// The title every box carries unless it names its own.
QString applicationTitle();

// Every message box of the program goes through here.
MessageAnswer showMessage(const MessageRequest &request);

// Sets up the real dialog for a request: title, plain text, icon, buttons and default.
void prepareMessageBox(QMessageBox &box, const MessageRequest &request);

// Replaces the real dialog (tests script answers and record what was shown); an empty
// handler restores the real dialog.
void setMessageHandler(MessageHandler handler);

// A box with the application's title.
MessageAnswer message(const QString &text, MessageIcon icon,
                      MessageButtons buttons = MessageButtons::Ok,
                      MessageAnswer defaultButton = MessageAnswer::Ok);

// A folder that went away, or one that never was: "The path is missing", titled "Error!".
void showPathMissing();

// The standard error box: "number description", critical icon, OK.
struct Failure;
void showFailure(const Failure &failure);

} // namespace platform
