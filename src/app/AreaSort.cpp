#include "app/AreaSort.h"

#include "app/MainCommands.h"
#include "browse/BrowseContext.h"
#include "platform/MessageBox.h"
#include "settings/SettingsFile.h"

#include <QComboBox>
#include <QListWidget>

namespace {

fileops::SortRequest chosenSort(app::CommandHost &host)
{
    browse::BrowseContext &browsing = host.browsing();
    fileops::SortRequest request;
    request.folder = host.shownFolder();
    for (const int row : browsing.selectedRows()) {
        request.names << browsing.name(row);
        if (const QStringList companions = browsing.companions(request.names.last()); !companions.isEmpty())
            request.companions.insert(request.names.last(), companions);
    }
    const QListWidgetItem *area = host.areaList().currentItem();
    request.area = area ? area->text() : QString();
    const QString group = host.groupSelector().currentText();
    std::ranges::copy_if(host.areaArchive(), std::back_inserter(request.records),
                         [&](const catalogue::AreaRecord &record) {
                             return record.name == request.area && record.group == group;
                         });
    const settings::Options &options = host.options();
    const bool copy = !options.moveDefault;
    request.how = copy ? fileops::Transfer::Copy : fileops::Transfer::Move;
    request.prompt = (copy ? options.promptCopy : options.promptMove) == 1;
    return request;
}

void showSortFailure(const fileops::SortFailure &failed)
{
    if (failed.failure.kind == platform::FailureKind::FileAlreadyExists)
        platform::message(failed.target + QStringLiteral(" already exist"), platform::MessageIcon::Information);
    else if (failed.failure.kind == platform::FailureKind::PathNotFound)
        platform::showPathMissing();
    else
        platform::showFailure(failed.failure);
}

} // namespace

namespace app {

AreaSort::AreaSort(CommandHost &host, QWidget *window)
    : m_host(host)
    , m_hold(host.browsing())
    , m_request(chosenSort(host))
    , m_selectedCount(int(m_request.names.size()))
    , m_transfers(window, m_selectedCount)
{
}

QSet<QString> AreaSort::run()
{
    const auto run = [this](const QString &name, const fileops::TransferWork &work) {
        return m_transfers.run(name, work);
    };
    const auto ask = [](const platform::MessageRequest &question) {
        return platform::showMessage(question) == platform::MessageAnswer::Ok;
    };
    const fileops::SortResult result =
        fileops::SortCommand(std::move(m_request), m_host.journal(), run, ask, showSortFailure).run();
    if (!result.cancelled.isEmpty())
        platform::message(QStringLiteral("Sending was cancelled: %1 of %2 files were sent.")
                              .arg(result.sent())
                              .arg(m_selectedCount),
                          platform::MessageIcon::Information);
    return QSet<QString>(result.moved.cbegin(), result.moved.cend());
}

} // namespace app
