#include "ProgramHarness.h"
#include "TestSupport.h"
#include "about/frmAbout.h"
#include "app/frmMain.h"
#include "platform/Desktop.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

using platform::MessageIcon;

namespace {

// The pointer moving over a control. Sent to the control itself: the desktop would hand it to
// whichever window lies under that point of the (headless) screen.
void moveOver(QWidget *widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

frmAbout *openAbout(frmMain &main)
{
    main.mnuAbout->trigger();
    return main.findChild<frmAbout *>();
}

// Puts a folder first on PATH, with a system information program in it when asked to.
class SystemInformation {
public:
    explicit SystemInformation(bool present) : m_savedPath(qgetenv("PATH"))
    {
        if (present) {
            const QString tool = m_dir.filePath(QStringLiteral("hardinfo"));
            testsupport::writeBytes(tool, QStringLiteral("#!/bin/sh\n: > '%1'\n").arg(marker()).toUtf8());
            QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(m_dir.path()));
    }
    ~SystemInformation() { qputenv("PATH", m_savedPath); }
    QString marker() const { return m_dir.filePath(QStringLiteral("started")); }

private:
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private:
    QList<QUrl> m_opened;
    bool m_openerWorks = true;

private slots:
    void init()
    {
        m_opened.clear();
        m_openerWorks = true;
        platform::setUrlOpener([this](const QUrl &url) {
            m_opened << url;
            return m_openerWorks;
        });
    }

    void cleanup() { platform::setUrlOpener({}); }

    void showsTitleVersionAndContact()
    {
        ProgramHarness harness;
        harness.start();
        frmAbout *about = openAbout(harness.main());
        QVERIFY(about);
        QVERIFY(about->isModal());
        QCOMPARE(about->windowTitle(), QStringLiteral("About Shelfmaster - Marrowby 1999"));
        QCOMPARE(about->lblTitle->text(), QStringLiteral("Shelfmaster - Marrowby 1999"));
        QCOMPARE(about->lblVersion->text(), QStringLiteral("Version 1.4"));
        QCOMPARE(about->Label1->text(), QStringLiteral("Contact us:"));
        QVERIFY(about->Label3->text().startsWith(QStringLiteral("e-mail: ")));
        QCOMPARE(about->cmdSysInfo->text(), QStringLiteral("&System Info..."));
        QVERIFY(about->cmdOK->isDefault());
    }

    void closesWithEnterAndEscape_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("escape") << int(Qt::Key_Escape);
    }

    void closesWithEnterAndEscape()
    {
        QFETCH(int, key);
        ProgramHarness harness;
        harness.start();
        QPointer<frmAbout> about = openAbout(harness.main());
        QTest::keyClick(about.data(), Qt::Key(key));
        QTRY_VERIFY(!about);
        QVERIFY(harness.main().isEnabled());
    }

    void linkOpensOurWebPage_data()
    {
        QTest::addColumn<bool>("works");
        QTest::newRow("opened") << true;
        QTest::newRow("nothing opens it") << false;
    }

    void linkOpensOurWebPage()
    {
        QFETCH(bool, works);
        m_openerWorks = works;
        ProgramHarness harness;
        harness.start();
        frmAbout *about = openAbout(harness.main());
        QTest::mouseClick(about->Label2, Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(frmAbout::webPage)});
        QCOMPARE(harness.messages.shown.size(), works ? 0 : 1);
        if (!works)
            QCOMPARE(harness.messages.shown.first().icon, MessageIcon::Critical);
    }

    void handOverTheLinkOnly()
    {
        ProgramHarness harness;
        harness.start();
        frmAbout *about = openAbout(harness.main());
        moveOver(about->Label2);
        QCOMPARE(about->cursor().shape(), Qt::BitmapCursor);
        moveOver(about->lblTitle); // keeps the hand
        QCOMPARE(about->cursor().shape(), Qt::BitmapCursor);
        moveOver(about->Label1);
        QCOMPARE(about->cursor().shape(), Qt::ArrowCursor);
        moveOver(about->Label2);
        moveOver(about);
        QCOMPARE(about->cursor().shape(), Qt::ArrowCursor);
    }

    void systemInformation_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("started") << true;
        QTest::newRow("unavailable") << false;
    }

    void systemInformation()
    {
        QFETCH(bool, present);
        SystemInformation tool(present);
        ProgramHarness harness;
        harness.start();
        frmAbout *about = openAbout(harness.main());
        QTest::mouseClick(about->cmdSysInfo, Qt::LeftButton);
        if (present) {
            QTRY_VERIFY(QFile::exists(tool.marker()));
            QVERIFY(harness.messages.shown.isEmpty());
        } else {
            QCOMPARE(harness.messages.shown.size(), 1);
            QCOMPARE(harness.messages.shown.first(),
                     (platform::MessageRequest{platform::applicationTitle(),
                                               "System Information Is Unavailable At This Time",
                                               MessageIcon::None}));
        }
        QVERIFY(about->isVisible());
    }

    void helpOpensTheDocument_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("works");
        QTest::addColumn<QString>("error");
        QTest::newRow("opened") << true << true << "";
        QTest::newRow("missing") << false << true << "53 File not found";
        QTest::newRow("nothing opens it") << true << false << "75 ";
    }

    void helpOpensTheDocument()
    {
        QFETCH(bool, present);
        QFETCH(bool, works);
        QFETCH(QString, error);
        m_openerWorks = works;
        ProgramHarness harness;
        if (present)
            harness.writeProgramFile(QStringLiteral("Help.htm"), "<p>help</p>");
        harness.start();
        harness.main().mnuHelpTopics->trigger();
        if (error.isEmpty()) {
            QVERIFY(harness.messages.shown.isEmpty());
        } else {
            QCOMPARE(harness.messages.shown.size(), 1);
            QVERIFY(harness.messages.shown.first().text.startsWith(error));
        }
        if (present)
            QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(harness.programDir() + "/Help.htm")});
    }
};

SHELFMASTER_TEST_MAIN(TestAbout)
#include "tst_about.moc"
