#pragma once

#include "platform/Failure.h"

#include <QUrl>
#include <functional>

namespace platform {

// Opens a document or a web address in the desktop's program for it.
MaybeFailure openUrl(const QUrl &url);
// Tests record what would be opened; an empty opener restores the desktop's.
void setUrlOpener(std::function<bool(const QUrl &)> opener);

// Starts the first system information program of the desktop found on PATH; false when there
// is none or it could not be started.
bool startSystemInformation();

// The help document: beside the catalogue, beside the program, or where it was installed.
QString helpDocumentPath();

} // namespace platform
