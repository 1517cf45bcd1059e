#pragma once

#include "platform/Failure.h"

#include <QPointer>
#include <QString>
#include <functional>

class QWidget;
class frmImage;
class frmShMovie;
class frmShPics;

namespace browse {
class BrowseContext;
}

namespace app {

// Shows the current file of the list: a picture in the preview when it is clicked, with its
// neighbours decoded ahead, and a picture or movie in a window of its own when it is
// double-clicked.
class CurrentFileView {
public:
    // shownFolder gives the folder the folder list shows; window is enabled again when a
    // picture or movie window closes.
    CurrentFileView(browse::BrowseContext &browsing, frmImage &viewer, std::function<QString()> shownFolder,
                    QWidget &window);
    // The picture and movie windows are windows of their own; they end with the program.
    ~CurrentFileView();
    CurrentFileView(const CurrentFileView &) = delete;
    CurrentFileView &operator=(const CurrentFileView &) = delete;

    // Shows the current file in the preview when it is a picture, clears the preview otherwise.
    void preview();
    // Shows a picture that is about to become current (the next one, while a sort writes and
    // flushes the files). One that cannot be shown is left to preview() to report.
    void previewAhead(const QString &name);
    // The current file takes the preview again from a picture shown ahead that it did not follow.
    void endPreviewAhead();
    // Opens the movie window on a movie, the picture window on a picture.
    void open();
    // Opens the picture window on the active file path when the list has a current file.
    void openPicture();

    // The full path of the picture last previewed or the file last double-clicked; "" when
    // the last file clicked was no picture.
    QString activeFilePath() const { return m_activeFilePath; }
    frmShPics *pictureWindow() const;
    frmShMovie *movieWindow() const;

private:
    platform::MaybeFailure showPicture(const QString &path);
    void readAheadAround(int index);
    QString fullPathOf(const QString &name) const;

    browse::BrowseContext &m_browse;
    frmImage &m_viewer;
    std::function<QString()> m_shownFolder;
    QWidget &m_window;
    QString m_activeFilePath;
    bool m_shownAhead = false;
    QPointer<frmShPics> m_pictureWindow;
    QPointer<frmShMovie> m_movieWindow;
};

} // namespace app
