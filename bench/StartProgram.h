#pragma once

#include "app/Program.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

// Starts the program as main() does, answering the splash's wait for a key at once.
inline void startPastTheSplash(app::Program &program, int afterMs = 0)
{
    QTimer::singleShot(afterMs, [] {
        if (QWidget *splash = QApplication::activeModalWidget()) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            QApplication::sendEvent(splash, &key);
        }
    });
    program.start();
}
