#pragma once

#include "quickgroup/PaletteLayout.h"

#include <QCursor>
#include <QList>
#include <QWidget>

class QLabel;
class QTimer;

// The floating palette with one clickable label per group. It snaps back under the main
// window when dragged close to its docking place.
class frmQuickGroup : public QWidget {
    Q_OBJECT

public:
    explicit frmQuickGroup(QWidget *parent = nullptr);

    // Removes every group label, ready for the groups to be read again.
    void removeGroupLabels();
    // Creates the label of the next group, placed after the previous one.
    void addGroupLabel(const QString &name);
    int groupCount() const { return int(m_labels.size()); }
    // Label 1 shows the first group; label 0 is the invisible template.
    QLabel *groupLabel(int index) const;
    quickgroup::LabelPlace labelPlace(int index) const { return m_places.at(index - 1); }

    // The window whose lower left corner the palette docks to.
    void setDockingWindow(const QWidget *window) { m_dockingWindow = window; }

    QTimer *timLocation;

signals:
    // A group label was clicked; index counts from 1.
    void groupLabelClicked(int index);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Resize();
    void timLocation_Timer();
    QLabel *createLabel(const QString &caption);
    void placeLabel(QLabel *label, const quickgroup::LabelPlace &place);
    float innerWidthTwips() const;

    QLabel *m_template;
    QList<QLabel *> m_labels;
    QList<quickgroup::LabelPlace> m_places;
    quickgroup::FlowLayout m_loadLayout{quickgroup::kCreatedFirstRowTop};
    QCursor m_handCursor;
    const QWidget *m_dockingWindow = nullptr;
};
