#include "app/BackgroundTransfer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>

namespace app {

namespace {

constexpr int kShowAfterMs = 500;
constexpr int kUpdateEveryMs = 100;

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

} // namespace

BackgroundTransfer::BackgroundTransfer(QWidget *window, int fileCount)
    : m_window(window)
    , m_fileCount(fileCount)
{
}

BackgroundTransfer::~BackgroundTransfer()
{
    delete m_dialog;
}

platform::MaybeFailure BackgroundTransfer::run(
    const QString &name, const std::function<platform::MaybeFailure(const fileops::TransferProgress &)> &work)
{
    std::atomic<qint64> done = 0;
    std::atomic<qint64> total = 0;
    const fileops::TransferProgress progress = [&](qint64 bytes, qint64 size) {
        done = bytes;
        total = size;
        return !m_cancelRequested;
    };
    QFutureWatcher<platform::MaybeFailure> watcher;
    QEventLoop waiting;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &waiting, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([&] { return work(progress); }));

    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &waiting, [&] {
        if (!m_dialog && clock.elapsed() < kShowAfterMs)
            return;
        const bool first = !m_dialog;
        showProgress(name, done, total);
        if (first)
            waiting.quit(); // to wait on, now taking input for the dialog's Cancel
    });
    tick.start(kUpdateEveryMs);
    // The windows paint meanwhile; the user's input waits until the dialog is there to take it.
    if (!m_dialog && !watcher.isFinished())
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
    if (!watcher.isFinished())
        waiting.exec();
    watcher.waitForFinished();

    platform::MaybeFailure failure = watcher.result();
    if (failure && failure->number == ECANCELED)
        m_cancelled = true;
    else if (!failure)
        ++m_sent;
    return failure;
}

void BackgroundTransfer::showProgress(const QString &name, qint64 done, qint64 total)
{
    if (!m_dialog) {
        m_dialog = new QProgressDialog(m_window);
        m_dialog->setObjectName(QStringLiteral("dlgTransferProgress"));
        m_dialog->setWindowTitle(QStringLiteral("Sending files"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setRange(0, 1000);
        QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog, [this] { m_cancelRequested = true; });
    }
    m_dialog->setLabelText(QStringLiteral("%1\n%2 of %3\nFile %4 of %5")
                               .arg(name, megabytes(done), megabytes(total))
                               .arg(m_sent + 1)
                               .arg(m_fileCount));
    m_dialog->setValue(total > 0 ? int(done * 1000 / total) : 0);
    m_dialog->show();
}

} // namespace app
