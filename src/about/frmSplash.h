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

    QLabel *Picture1;
    QTimer *Timer1;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
};
