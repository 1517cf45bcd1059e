#pragma once

#include "fileops/FileTransfer.h"
#include "platform/Failure.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>

class QProgressDialog;
class QWidget;

namespace app {

// Runs the file transfers of one command (a sort, an undo, a redo) on a worker thread while the
// windows keep painting. Once the command has run half a second, however many files that took,
// a progress dialog shows the file, the bytes and the files done, with a Cancel button that
// stops the copy after its current chunk.
class BackgroundTransfer {
public:
    // The command starts now.
    BackgroundTransfer(QWidget *window, int fileCount, QString title = QStringLiteral("Sending files"));
    ~BackgroundTransfer();
    BackgroundTransfer(const BackgroundTransfer &) = delete;
    BackgroundTransfer &operator=(const BackgroundTransfer &) = delete;

    // Runs one file's transfer and waits for it.
    platform::MaybeFailure run(const QString &name, const fileops::TransferWork &work);
    // Runs once while the next transfer is waited for, if it does not end at once.
    void whileWaiting(std::function<void()> meanwhile) { m_meanwhile = std::move(meanwhile); }
    bool cancelled() const { return m_cancelled; }
    int filesSent() const { return m_sent; }

private:
    void showProgress(const QString &name, qint64 done, qint64 total);

    QWidget *m_window;
    int m_fileCount;
    QString m_title;
    QElapsedTimer m_clock;
    int m_started = 0;
    int m_sent = 0;
    bool m_cancelled = false;
    std::atomic<bool> m_cancelRequested = false;
    QPointer<QProgressDialog> m_dialog;
    std::function<void()> m_meanwhile;
};

} // namespace app
