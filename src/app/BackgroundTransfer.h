#pragma once

#include "fileops/FileTransfer.h"
#include "platform/Failure.h"

#include <QPointer>
#include <atomic>
#include <functional>

class QProgressDialog;
class QWidget;

namespace app {

// Runs the file transfers of one sort command on a worker thread while the windows keep
// painting. After half a second a progress dialog shows the file, the bytes and the files done,
// with a Cancel button that stops the copy after its current chunk.
class BackgroundTransfer {
public:
    BackgroundTransfer(QWidget *window, int fileCount);
    ~BackgroundTransfer();
    BackgroundTransfer(const BackgroundTransfer &) = delete;
    BackgroundTransfer &operator=(const BackgroundTransfer &) = delete;

    // Runs one file's transfer (work is given the progress to report to) and waits for it.
    platform::MaybeFailure run(const QString &name, const std::function<platform::MaybeFailure(
                                                        const fileops::TransferProgress &)> &work);
    bool cancelled() const { return m_cancelled; }
    int filesSent() const { return m_sent; }

private:
    void showProgress(const QString &name, qint64 done, qint64 total);

    QWidget *m_window;
    int m_fileCount;
    int m_sent = 0;
    bool m_cancelled = false;
    std::atomic<bool> m_cancelRequested = false;
    QPointer<QProgressDialog> m_dialog;
};

} // namespace app
