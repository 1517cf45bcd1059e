#include "about/frmAbout.h"

#include "platform/Desktop.h"
#include "platform/MessageBox.h"
#include "platform/Screen.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

const QString frmAbout::webPage = QStringLiteral("https://www.marrowby.example/shelfmaster/");

namespace {

constexpr double kInnerWidth = 5730;
constexpr double kInnerHeight = 3555;
const QString kEmail = QStringLiteral("shelfmaster@marrowby.example");

QLabel *namedLabel(const QString &text, const char *name)
{
    auto *label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    label->setMouseTracking(true);
    return label;
}

// The etched separator: a grey line with a white one under it.
QWidget *etchedLine()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , picIcon(namedLabel(QString(), "picIcon"))
    , lblTitle(namedLabel(QString(), "lblTitle"))
    , lblVersion(namedLabel(QString(), "lblVersion"))
    , lblDescription(namedLabel(QStringLiteral("Shelfmaster is freeware from Marrowby: use it and give it away "
                                               "freely, but do not sell it."),
                                "lblDescription"))
    , Label1(namedLabel(QStringLiteral("Contact us:"), "Label1"))
    , Label2(namedLabel(webPage, "Label2"))
    , Label3(namedLabel(QStringLiteral("e-mail: ") + kEmail, "Label3"))
    , lblDisclaimer(namedLabel(QStringLiteral("This program is provided as it is, without any warranty. "
                                              "Marrowby is not liable for any damage it may cause."),
                               "lblDisclaimer"))
    , cmdOK(new QPushButton(QStringLiteral("OK")))
    , cmdSysInfo(new QPushButton(QStringLiteral("&System Info...")))
    , m_handCursor(QPixmap(QStringLiteral(":/images/hand.png")), 12, 1)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    setMouseTracking(true);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdOK->setDefault(true); // Enter; Esc rejects, which closes the box the same way
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    picIcon->setPixmap(QPixmap(QStringLiteral(":/images/shelfmaster.png")));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(12);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    QFont linkFont = Label2->font();
    linkFont.setPointSizeF(8.25);
    linkFont.setUnderline(true);
    Label2->setFont(linkFont);
    Label2->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    for (QLabel *label : {lblDescription, lblDisclaimer})
        label->setWordWrap(true);
    for (QLabel *label : {picIcon, lblTitle, lblVersion, lblDescription, Label1, Label2, Label3, lblDisclaimer})
        label->installEventFilter(this);

    auto *text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addWidget(lblDescription);
    text->addWidget(Label1);
    text->addWidget(Label2);
    text->addWidget(Label3);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    buttons->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1);
    bottom->addLayout(buttons);
    auto *layout = new QGridLayout(this);
    layout->addWidget(picIcon, 0, 0, Qt::AlignTop);
    layout->addLayout(text, 0, 1);
    layout->addWidget(etchedLine(), 1, 0, 1, 2);
    layout->addLayout(bottom, 2, 0, 1, 2);
    setFixedSize(platform::twipsToPixels(kInnerWidth), platform::twipsToPixels(kInnerHeight));
    Form_Load();
}

void frmAbout::Form_Load()
{
    const QString title = platform::applicationTitle();
    setWindowTitle(QStringLiteral("About ") + title);
    const QVersionNumber version = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    lblVersion->setText(QStringLiteral("Version %1.%2").arg(version.majorVersion()).arg(version.minorVersion()));
    lblTitle->setText(title);
    move(platform::screenMetrics().available.center() - rect().center());
}

void frmAbout::StartSysInfo()
{
    if (!platform::startSystemInformation())
        platform::message(QStringLiteral("System Information Is Unavailable At This Time"),
                          platform::MessageIcon::None);
}

void frmAbout::Label2_Click()
{
    if (const platform::MaybeFailure failure = platform::openUrl(QUrl(webPage)))
        platform::showFailure(*failure);
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    unsetCursor();
    QDialog::mouseMoveEvent(event);
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        // Over the link the hand shows; the other contact lines put the arrow back, and the
        // remaining labels leave the pointer as it was.
        if (watched == Label2)
            setCursor(m_handCursor);
        else if (watched == Label1 || watched == Label3)
            unsetCursor();
        return true; // the window's own handler is for its bare surface only
    }
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease) {
        Label2_Click();
    }
    return QDialog::eventFilter(watched, event);
}
