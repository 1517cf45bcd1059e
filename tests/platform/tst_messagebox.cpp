#include "FakeMessages.h"
#include "TestSupport.h"
#include "platform/Failure.h"
#include "platform/MessageBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QMessageBox>

#include <cerrno>
#include <cstring>

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

    // An errno that happens to equal one of the program's own numbers is still the system's
    // failure, shown with the system's description; a cancel is told apart by its kind alone.
    void errorBoxShowsWhatTheSystemSaid_data()
    {
        using platform::FailureKind;
        QTest::addColumn<int>("errnoValue");
        QTest::addColumn<FailureKind>("kind");
        QTest::addColumn<QString>("text");
        const auto system = [](int errnoValue) { return QString::fromLocal8Bit(std::strerror(errnoValue)); };
        QTest::newRow("EOVERFLOW, not Path/File access error")
            << EOVERFLOW << FailureKind::System << "75 " + system(EOVERFLOW);
        QTest::newRow("ENOTUNIQ, not Path not found") << ENOTUNIQ << FailureKind::System << "76 " + system(ENOTUNIQ);
        QTest::newRow("ENOENT") << ENOENT << FailureKind::FileNotFound << "53 File not found";
        QTest::newRow("ECANCELED") << ECANCELED << FailureKind::Cancelled
                                   << QString::number(ECANCELED) + ' ' + system(ECANCELED);
    }

    void errorBoxShowsWhatTheSystemSaid()
    {
        QFETCH(int, errnoValue);
        QFETCH(platform::FailureKind, kind);
        QFETCH(QString, text);
        const platform::Failure failure = platform::Failure::fromErrno(errnoValue);
        QCOMPARE(failure.kind, kind);
        QCOMPARE(failure.systemError, errnoValue);
        FakeMessages messages;
        platform::showFailure(failure);
        QCOMPARE(messages.texts(), QStringList{text});
    }
};

SHELFMASTER_TEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
