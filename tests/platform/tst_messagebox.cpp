#include "TestSupport.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QMessageBox>

class TestMessageBox : public QObject {
    Q_OBJECT

private slots:
    // A box names exactly the file it acts on, whatever characters the name holds.
    void textIsShownAsWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("markup") << "Move file /p/a<b>c.jpg to /areas/cats";
        QTest::newRow("entity") << "Delete /p/&amp;.jpg permanently?";
        QTest::newRow("line break tag") << "Move /p/x<br>y.jpg to the trash?";
    }

    void textIsShownAsWritten()
    {
        QFETCH(QString, text);
        QMessageBox box;
        platform::prepareMessageBox(box, {"Move file", text, platform::MessageIcon::Question,
                                          platform::MessageButtons::OkCancel, platform::MessageAnswer::Ok});
        auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), text);
        QCOMPARE(box.windowTitle(), QStringLiteral("Move file"));
        QCOMPARE(static_cast<QAbstractButton *>(box.defaultButton()), box.button(QMessageBox::Ok));
        QCOMPARE(box.escapeButton(), box.button(QMessageBox::Cancel));
    }
};

SHELFMASTER_TEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
