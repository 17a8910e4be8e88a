#include "settings/FormAbout.h"

#include "platform/ThemeColors.h"
#include "platform/UrlOpener.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const QString HomepageAddress = QStringLiteral("https://vornviewer.example.org/");
const QString ContactAddress = QStringLiteral("mailto:vornviewer@example.org");

QLabel *ColouredLabel(const QString &text, const QColor &colour, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ReadableOn(colour, palette.color(QPalette::Window)));
    label->setPalette(palette);
    return label;
}

}  // namespace

QString FormatAppVersion(int major, int minor, int release)
{
    return QString::asprintf("%s version %d.%d%d", "VornViewer", major, minor, release);
}

TfrmAbout::TfrmAbout(QWidget *owner) : QDialog(owner)
{
    CreateControls();
}

void TfrmAbout::Execute(QWidget *owner)
{
    TfrmAbout about(owner);
    about.exec();
}

void TfrmAbout::CreateControls()
{
    setWindowTitle(QStringLiteral("About"));

    ScrollBox2 = new QScrollArea(this);
    ScrollBox2->setFixedSize(154, 269);
    Image1 = new QLabel;
    Image1->setFixedSize(150, 265);
    Image1->setScaledContents(true);
    ScrollBox2->setWidget(Image1);

    lblAppName = ColouredLabel(FormatAppVersion(VV_VERSION_MAJOR, VV_VERSION_MINOR, VV_VERSION_PATCH), Qt::black, this);
    QFont bold = lblAppName->font();
    bold.setBold(true);
    lblAppName->setFont(bold);
    Label3 = new QLabel(QStringLiteral("Browses and unpacks the vorn archives of Velmire."), this);
    Label3->setWordWrap(true);
    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Label4 = ColouredLabel(QStringLiteral("Thanks to:"), QColor(0, 0, 128), this);
    Label6 = ColouredLabel(QStringList{QStringLiteral("The Velmire modding community"),
                                       QStringLiteral("Everyone who reported a problem"),
                                       QStringLiteral("The Qt, libdeflate and LZO authors")}
                               .join(u'\n'),
                           QColor(0, 128, 0), this);
    Label2 = CreateLink(QStringLiteral("Homepage"), HomepageAddress);
    Label1 = CreateLink(QStringLiteral("Contact"), ContactAddress);
    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto *links = new QHBoxLayout;
    links->addWidget(Label2);
    links->addSpacing(12);
    links->addWidget(Label1);
    links->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Button1);
    auto *text = new QVBoxLayout;
    text->addWidget(lblAppName);
    text->addWidget(Label3);
    text->addWidget(Bevel1);
    text->addWidget(Label4);
    text->addWidget(Label6);
    text->addStretch();
    text->addLayout(links);
    text->addLayout(bottom);
    auto *main = new QHBoxLayout(this);
    main->setContentsMargins(0, 0, 6, 6);
    main->addWidget(ScrollBox2, 0, Qt::AlignTop);
    main->addLayout(text);

    setFixedSize(sizeHint().expandedTo(QSize(389, 269)));
}

QLabel *TfrmAbout::CreateLink(const QString &text, const QString &address)
{
    auto *link = ColouredLabel(text, Qt::blue, this);
    QFont underlined = link->font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(address);
    link->installEventFilter(this);
    return link;
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && (watched == Label1 || watched == Label2)) {
        Label2Click(static_cast<QLabel *>(watched));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::Label2Click(QLabel *link)
{
    TUrlOpener::Open(link->toolTip());
}
