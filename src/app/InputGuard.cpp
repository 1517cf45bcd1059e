#include "app/InputGuard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace app {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

InputGuard::InputGuard()
{
    qApp->installEventFilter(this);
}

InputGuard::~InputGuard()
{
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
}

bool InputGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (!isUserInput(event->type()))
        return false;
    // A window hands its input on to its widgets, where it is judged; a shortcut goes to its
    // action straight away.
    if (!watched->isWidgetType())
        return event->type() == QEvent::Shortcut;
    const QWidget *modal = QApplication::activeModalWidget();
    return !modal || static_cast<QWidget *>(watched)->window() != modal;
}

} // namespace app
