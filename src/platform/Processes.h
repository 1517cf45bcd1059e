#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace platform {

struct ProgramRun {
    int exitCode = -1; // -1: not found, not started, killed, or out of time
    QByteArray output; // what it wrote to its standard output
};

// Runs a program found on PATH with its arguments handed over as bytes, exactly as given: no
// shell sees them and no text encoding touches them.
ProgramRun runProgram(const QString &program, const QList<QByteArray> &arguments, int timeoutMs = 15000);

} // namespace platform
