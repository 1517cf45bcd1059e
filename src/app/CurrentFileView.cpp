#include "app/CurrentFileView.h"

#include "browse/BrowseContext.h"
#include "browse/FileListRules.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "viewers/frmImage.h"
#include "viewers/frmShMovie.h"
#include "viewers/frmShPics.h"

#include <QLabel>

namespace app {

CurrentFileView::CurrentFileView(browse::BrowseContext &browsing, frmImage &viewer,
                                 std::function<QString()> shownFolder, QWidget &window)
    : m_browse(browsing)
    , m_viewer(viewer)
    , m_shownFolder(std::move(shownFolder))
    , m_window(window)
{
}

CurrentFileView::~CurrentFileView()
{
    delete m_pictureWindow;
    delete m_movieWindow;
}

frmShPics *CurrentFileView::pictureWindow() const
{
    return m_pictureWindow;
}

frmShMovie *CurrentFileView::movieWindow() const
{
    return m_movieWindow;
}

QString CurrentFileView::fullPathOf(const QString &name) const
{
    return platform::joinPath(m_shownFolder(), name);
}

void CurrentFileView::preview()
{
    m_shownAhead = false;
    m_activeFilePath.clear();
    const QString name = m_browse.currentName();
    if (!m_browse.isPicture(name)) {
        m_viewer.clearPicture();
        return;
    }
    m_activeFilePath = fullPathOf(name);
    if (const platform::MaybeFailure failure = showPicture(m_activeFilePath)) {
        platform::showFailure(*failure); // the preview stays hidden until a picture loads
        return;
    }
    readAheadAround(m_browse.currentRow());
}

void CurrentFileView::previewAhead(const QString &name)
{
    if (m_browse.isPicture(name)) {
        m_shownAhead = true;
        showPicture(fullPathOf(name));
    }
}

void CurrentFileView::endPreviewAhead()
{
    if (m_shownAhead)
        preview();
}

platform::MaybeFailure CurrentFileView::showPicture(const QString &path)
{
    m_viewer.Image1->hide();
    if (platform::MaybeFailure failure = m_viewer.loadPicture(path))
        return failure;
    m_viewer.ScaleImage();
    m_viewer.Image1->show();
    m_viewer.setWindowTitle(path);
    return std::nullopt;
}

void CurrentFileView::readAheadAround(int index)
{
    // After a sort the next file takes this one's place, and one sort follows another; the space
    // bar goes on to it, and the user sometimes steps back.
    QStringList pictures;
    for (const int neighbour : {index + 1, index + 2, index - 1}) {
        if (neighbour >= 0 && neighbour < m_browse.count() &&
            m_browse.isPicture(m_browse.name(neighbour)))
            pictures << fullPathOf(m_browse.name(neighbour));
    }
    m_viewer.readAhead(pictures);
}

void CurrentFileView::open()
{
    m_activeFilePath.clear();
    const QString name = m_browse.currentName();
    if (browse::isMovieName(name, m_browse.fileKinds())) {
        m_activeFilePath = fullPathOf(name);
        m_viewer.clearPicture();
        if (m_movieWindow) {
            m_movieWindow->raise();
            return;
        }
        m_movieWindow = new frmShMovie(m_activeFilePath);
        QObject::connect(m_movieWindow, &frmShMovie::closed, &m_window,
                         [&mainWindow = m_window] { mainWindow.setEnabled(true); });
        m_movieWindow->show();
        m_movieWindow->Form_Load();
    } else if (m_browse.isPicture(name)) {
        m_activeFilePath = fullPathOf(name);
        openPicture();
    }
}

void CurrentFileView::openPicture()
{
    if (m_browse.currentName().isEmpty())
        return;
    if (m_pictureWindow) {
        m_pictureWindow->raise();
        return;
    }
    auto *window = new frmShPics(m_activeFilePath);
    if (const platform::MaybeFailure failure = window->FixImage()) {
        delete window;
        platform::showFailure(*failure);
        return;
    }
    QObject::connect(window, &frmShPics::closed, &m_window, [&mainWindow = m_window] { mainWindow.setEnabled(true); });
    m_pictureWindow = window;
    window->show();
}

} // namespace app
