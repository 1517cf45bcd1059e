#include "platform/Processes.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace platform {

ProgramRun runProgram(const QString &program, const QList<QByteArray> &arguments, int timeoutMs)
{
    ProgramRun run;
    const QByteArray path = QFile::encodeName(QStandardPaths::findExecutable(program));
    if (path.isEmpty())
        return run;
    std::vector<char *> argv;
    QByteArray name = QFile::encodeName(program);
    argv.push_back(name.data());
    QList<QByteArray> copies = arguments; // posix_spawn takes char *
    for (QByteArray &argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, path.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0) {
        ::close(pipe[0]);
        return run;
    }

    const QDeadlineTimer deadline(timeoutMs);
    bool timedOut = false;
    for (;;) {
        pollfd ready{pipe[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(deadline.remainingTime()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0) {
            timedOut = true;
            break;
        }
        char buffer[4096];
        const ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        run.output.append(buffer, got);
    }
    ::close(pipe[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!timedOut && WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}

} // namespace platform
