#pragma once

#include <QCursor>
#include <QDialog>

class QLabel;
class QPushButton;

// Title, version, contact details with a link to our web page, and a button that starts the
// desktop's system information program.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *picIcon;
    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblDescription;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *lblDisclaimer;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;

    static const QString webPage;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void StartSysInfo();
    void Label2_Click();

    QCursor m_handCursor;
};
