#pragma once

#include "app/BackgroundTransfer.h"
#include "browse/BrowseContext.h"
#include "fileops/SortCommand.h"

#include <QSet>

namespace app {

class CommandHost;

// A double click on an area: the selected files go to the area chosen in the area list. The
// progress of the transfers, once shown, stays up until the object ends, so the list is
// reselected beneath it.
class AreaSort {
public:
    // Holds the list still and takes the selected files, the chosen area of the
    // chosen group and whether to move or copy and ask.
    AreaSort(CommandHost &host, QWidget *window);

    // Runs once: asks before each file when the options say so, reports each failure as it
    // happens and a cancellation at the end. Returns the names that left the folder.
    QSet<QString> run();
    // Whether this file alone is sent to one place without a question first: then the file that
    // comes next is known while it is written.
    bool sendsAloneUnasked(const QString &name) const
    {
        return m_request.names == QStringList{name} && m_request.records.size() == 1 && !m_request.prompt;
    }
    // Runs meanwhile once while the transfer is waited for.
    void whileWriting(std::function<void()> meanwhile) { m_transfers.whileWaiting(std::move(meanwhile)); }

private:
    CommandHost &m_host;
    // Questions and long copies wait in event loops: the list must not change meanwhile.
    browse::UpdateHold m_hold;
    fileops::SortRequest m_request;
    int m_selectedCount;
    BackgroundTransfer m_transfers;
};

} // namespace app
