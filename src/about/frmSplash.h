#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// Shown while the program starts: closes after three seconds, at a key press or at a click on
// its picture.
class frmSplash : public QDialog {
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

    // Shows the window modally and returns when it has closed. Unlike exec(), a close request
    // that arrives while the window is still being shown is not lost.
    void showModal();

    QLabel *Picture1;
    QTimer *Timer1;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
};
