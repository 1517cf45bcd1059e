#include "app/BackgroundTransfer.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <cerrno>
#include <utility>

namespace app {

namespace {

constexpr int kShowAfterMs = 500;
constexpr int kUpdateEveryMs = 100;

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

} // namespace

BackgroundTransfer::BackgroundTransfer(QWidget *window, int fileCount, QString title)
    : m_window(window)
    , m_fileCount(fileCount)
    , m_title(std::move(title))
{
    m_clock.start();
}

BackgroundTransfer::~BackgroundTransfer()
{
    delete m_dialog;
}

platform::MaybeFailure BackgroundTransfer::run(const QString &name, const fileops::TransferWork &work)
{
    // A file that moves by a rename never reports progress: Cancel stops the command before the next one.
    if (m_cancelRequested) {
        m_cancelled = true;
        return platform::Failure::fromErrno(ECANCELED);
    }
    ++m_started;
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

    const auto update = [&] {
        if (m_dialog || m_clock.elapsed() >= kShowAfterMs)
            showProgress(name, done, total);
    };
    update(); // files too small for a tick of their own still show
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &waiting, update);
    tick.start(kUpdateEveryMs);
    // The windows paint and the dialog takes its Cancel meanwhile; the command's input guard
    // keeps the user's other input away.
    if (!watcher.isFinished()) {
        if (m_meanwhile)
            QTimer::singleShot(0, &waiting, std::exchange(m_meanwhile, {}));
        waiting.exec();
    }
    watcher.waitForFinished();

    platform::MaybeFailure failure = watcher.result();
    if (failure && failure->kind == platform::FailureKind::Cancelled)
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
        m_dialog->setWindowTitle(m_title);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setRange(0, 1000);
        QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog, [this] { m_cancelRequested = true; });
    }
    m_dialog->setLabelText(QStringLiteral("%1\n%2 of %3\nFile %4 of %5")
                               .arg(name, megabytes(done), megabytes(total))
                               .arg(m_started)
                               .arg(m_fileCount));
    m_dialog->setValue(total > 0 ? int(done * 1000 / total) : 0);
    m_dialog->show();
}

} // namespace app
