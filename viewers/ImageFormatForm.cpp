#include "viewers/ImageFormatForm.h"

#include "viewers/PngWriter.h"

#include <QAction>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QScrollArea>
#include <algorithm>
#include <exception>

namespace {

constexpr int kMinimumClientSide = 150;
constexpr int kPictureMargin = 10;

bool IsEscape(const QEvent *event)
{
    return event->type() == QEvent::KeyPress
           && static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape;
}

} // namespace

TForm1::TForm1(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window)
{
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    FormCreate();
}

void TForm1::FormCreate()
{
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1->installEventFilter(this);

    Image1 = new QLabel;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setScaledContents(false);
    ScrollBox1->setWidget(Image1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ScrollBox1);

    auto *savePng = new QAction(QStringLiteral("Save as PNG..."), this);
    savePng->setObjectName(QStringLiteral("actSavePng"));
    savePng->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    savePng->setShortcutContext(Qt::WindowShortcut);
    connect(savePng, &QAction::triggered, this, &TForm1::SaveAsPngClick);
    addAction(savePng);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TForm1::SaveAsPngClick()
{
    const QString path = TPngWriter::AskFileName(this, TPngWriter::PngFileName(m_sourceName));
    if (path.isEmpty())
        return;
    try {
        SaveAsPng(path);
    } catch (const std::exception &error) {
        QMessageBox::critical(this, QStringLiteral("VornViewer"), QString::fromStdString(error.what()));
    }
}

void TForm1::SaveAsPng(const QString &path) const
{
    TPngWriter::Save(m_picture, path);
}

QSize TForm1::ClientSizeFor(const QSize &pictureSize)
{
    return {std::max(kMinimumClientSide, pictureSize.width() + kPictureMargin),
            std::max(kMinimumClientSide, pictureSize.height() + kPictureMargin)};
}

void TForm1::SetPicture(const QImage &picture)
{
    m_picture = picture;
    // The picture's alpha channel is kept but not drawn.
    Image1->setPixmap(QPixmap::fromImage(picture.convertToFormat(QImage::Format_RGB32)));
    Image1->resize(picture.size());
    resize(ClientSizeFor(picture.size()));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (IsEscape(event)) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    if (IsEscape(event))
        close();
    else
        QWidget::keyPressEvent(event);
}
