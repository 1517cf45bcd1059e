#pragma once

#include "app/Program.h"

#include <QApplication>
#include <QFile>
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

// The areas and groups files in folder: one group, "Bench", holding one area.
inline void writeCatalogue(const QString &folder, const QString &area, const QString &areaPath)
{
    QFile areas(folder + QStringLiteral("/MSAREA.INI"));
    areas.open(QIODevice::WriteOnly);
    areas.write("AREA=" + area.toUtf8() + "\r\nGROUP=Bench\r\nPATH=" + QFile::encodeName(areaPath) + "\r\nSHORTCUT=\r\n");
    QFile groups(folder + QStringLiteral("/MSGROUP.INI"));
    groups.open(QIODevice::WriteOnly);
    groups.write("GROUP=Bench\r\n");
}

// A figure of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:"); 0 when it cannot be read.
inline qint64 processStatusKilobytes(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}
