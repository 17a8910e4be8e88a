#include "viewers/PreviewPane.h"

#include "viewers/AbstractFormat.h"
#include "viewers/FormHexViewer.h"
#include "viewers/FormatPlugin.h"
#include "viewers/ViewHandler.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <exception>

namespace {

QString SizeText(uint64_t bytes)
{
    return QLocale::system().toString(qulonglong(bytes)) + QStringLiteral(" bytes");
}

} // namespace

TPreviewPane::TPreviewPane(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlPreview"));
    m_pool.setMaxThreadCount(1);
    CreateControls();
}

TPreviewPane::~TPreviewPane()
{
    // No worker may post to the pane once it is gone.
    m_next.reset();
    m_deferred.reset();
    m_pool.waitForDone();
}

void TPreviewPane::CreateControls()
{
    m_info = new QLabel(this);
    m_info->setObjectName(QStringLiteral("lblPreviewInfo"));
    m_info->setWordWrap(true);
    m_info->setTextFormat(Qt::PlainText);

    m_pages = new QStackedWidget(this);
    m_emptyPage = new QWidget(m_pages);
    m_pages->addWidget(m_emptyPage);

    m_picture = new QLabel(m_pages);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_picture->setMinimumSize(1, 1);
    m_picture->installEventFilter(this);
    m_pages->addWidget(m_picture);

    m_text = new QPlainTextEdit(m_pages);
    m_text->setReadOnly(true);
    m_text->installEventFilter(this);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pages->addWidget(m_text);

    m_tooBigPage = new QWidget(m_pages);
    m_showButton = new QPushButton(QStringLiteral("Show preview"), m_tooBigPage);
    m_showButton->setObjectName(QStringLiteral("btnShowPreview"));
    connect(m_showButton, &QPushButton::clicked, this, [this] {
        if (!m_deferred)
            return;
        TRequest request = std::move(*m_deferred);
        m_deferred.reset();
        Start(std::move(request));
    });
    auto *tooBigLayout = new QVBoxLayout(m_tooBigPage);
    tooBigLayout->addStretch();
    tooBigLayout->addWidget(m_showButton, 0, Qt::AlignCenter);
    tooBigLayout->addStretch();
    m_pages->addWidget(m_tooBigPage);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_info);
    layout->addWidget(m_pages, 1);
}

TPreviewRoute TPreviewPane::RouteOf(const QString &fileName)
{
    try {
        TAbstractFormat *format = FindClaimingFormat(ExtractExtension(fileName));
        if (!format)
            return TPreviewRoute::Other;
        return dynamic_cast<TAbstractFormatPlugin *>(format) ? TPreviewRoute::Plugin : TPreviewRoute::Image;
    } catch (const std::exception &) {
        return TPreviewRoute::Other; // a plug-in failed to answer: shown like an unclaimed file
    }
}

void TPreviewPane::Preview(const QString &fileName, uint64_t size, TPreviewContent::TLoader loader)
{
    m_next.reset();
    m_deferred.reset();
    TRequest request{fileName, RouteOf(fileName), std::move(loader), ++m_generation};
    if (size > m_sizeLimit) {
        m_deferred = std::move(request);
        ShowPage(m_tooBigPage, TPreviewKind::TooBig,
                 fileName + QStringLiteral(": ") + SizeText(size) + QStringLiteral(", shown on request"));
        return;
    }
    Start(std::move(request));
}

void TPreviewPane::Start(TRequest request)
{
    m_info->setText(request.fileName + QStringLiteral(": reading..."));
    if (m_loading) {
        m_next = std::move(request); // started when the file being read is done
        return;
    }
    m_loading = true;
    m_pool.start([this, request = std::move(request)] {
        auto content = std::make_shared<TPreviewContent>(
            TPreviewContent::Decode(request.fileName, request.route, request.loader));
        QMetaObject::invokeMethod(
            this,
            [this, generation = request.generation, fileName = request.fileName, content] {
                if (generation == m_generation)
                    Show(fileName, std::move(*content));
                Finished(generation, content);
            },
            Qt::QueuedConnection);
    });
}

void TPreviewPane::Finished(uint64_t, const std::shared_ptr<TPreviewContent> &)
{
    m_loading = false;
    if (m_next) {
        TRequest next = std::move(*m_next);
        m_next.reset();
        Start(std::move(next));
    }
}

void TPreviewPane::Clear()
{
    ++m_generation;
    m_next.reset();
    m_deferred.reset();
    ShowPage(m_emptyPage, TPreviewKind::Empty, QString());
}

void TPreviewPane::WaitForLoads()
{
    ++m_generation;
    m_next.reset();
    m_deferred.reset();
    m_pool.waitForDone();
}

void TPreviewPane::Show(const QString &fileName, TPreviewContent content)
{
    switch (content.Kind) {
    case TPreviewKind::Image:
        ShowImage(fileName, content);
        break;
    case TPreviewKind::Text:
        m_text->setPlainText(content.Text);
        ShowPage(m_text, TPreviewKind::Text,
                 content.TextCut ? fileName + QStringLiteral(" (beginning)") : fileName);
        break;
    case TPreviewKind::Hex:
        ShowHex(fileName, content.Data);
        ShowPage(m_hexPage, TPreviewKind::Hex, fileName);
        break;
    case TPreviewKind::Plugin:
        ShowPlugin(fileName, content);
        break;
    case TPreviewKind::Error:
        ShowPage(m_emptyPage, TPreviewKind::Error,
                 QStringLiteral("Can't show ") + fileName + QStringLiteral(": ") + content.Message);
        break;
    case TPreviewKind::Empty:
    case TPreviewKind::TooBig:
        ShowPage(m_emptyPage, TPreviewKind::Empty, QString());
        break;
    }
}

void TPreviewPane::ShowImage(const QString &fileName, const TPreviewContent &content)
{
    m_shownPicture = content.Picture;
    ShowPage(m_picture, TPreviewKind::Image,
             QStringLiteral("%1: %2 \u00D7 %3")
                 .arg(fileName)
                 .arg(content.PictureSize.width())
                 .arg(content.PictureSize.height()));
    FitPicture();
}

void TPreviewPane::ShowHex(const QString &fileName, const std::shared_ptr<TFileBuffer> &data)
{
    if (!m_hexPage) {
        // The hex viewer window, made a child of a scroll area: it keeps its
        // fixed width, its height follows the pane. Esc only hides it until
        // the next file.
        auto *scroll = new QScrollArea(m_pages);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        // The viewer's width must not widen the pane (and squeeze the list
        // beside it): the pane keeps its width and the rows scroll.
        scroll->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        m_hex = new TfrmViewerHex;
        m_hex->setWindowFlags(Qt::Widget);
        m_hex->setAttribute(Qt::WA_DeleteOnClose, false);
        m_hex->setMinimumHeight(0);
        m_hex->setMaximumHeight(QWIDGETSIZE_MAX);
        scroll->setWidget(m_hex);
        m_pages->addWidget(scroll);
        m_hexPage = scroll;
    }
    m_hex->SetData(std::move(*data), fileName);
    m_hex->show();
}

void TPreviewPane::ShowPlugin(const QString &fileName, const TPreviewContent &content)
{
    delete m_pluginContainer;
    auto *container = new QWidget(m_pages);
    container->setObjectName(QStringLiteral("pnlPluginPreview"));
    m_pages->addWidget(container);
    m_pluginContainer = container;
    const QString extension = ExtractExtension(fileName);
    QString description = QStringLiteral("Unknown");
    try {
        TAbstractFormat *format = FindClaimingFormat(extension);
        if (format) {
            description = format->FormatDescription(extension);
            if (format->RenderPreview(fileName, *content.Data, container)) {
                ShowPage(container, TPreviewKind::Plugin, fileName + QStringLiteral(": ") + description);
                return;
            }
        }
    } catch (const std::exception &) {
        // The plug-in failed: its file is shown in hex.
    }
    delete container;
    ShowHex(fileName, content.Data);
    ShowPage(m_hexPage, TPreviewKind::Plugin, fileName + QStringLiteral(": ") + description);
}

void TPreviewPane::ShowPage(QWidget *page, TPreviewKind kind, const QString &info)
{
    if (kind != TPreviewKind::Image)
        m_shownPicture = QImage();
    m_info->setText(info);
    m_pages->setCurrentWidget(page);
    m_kind = kind;
    emit shown(kind);
}

void TPreviewPane::FitPicture()
{
    if (m_shownPicture.isNull())
        return;
    const QSize room = m_picture->size();
    const bool fits = m_shownPicture.width() <= room.width() && m_shownPicture.height() <= room.height();
    const QImage scaled =
        fits ? m_shownPicture : m_shownPicture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_picture->setPixmap(QPixmap::fromImage(scaled));
}

bool TPreviewPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_picture && event->type() == QEvent::Resize)
        FitPicture();
    if (watched == m_text && IsSelectAll(event)) {
        // A read-only text leaves Ctrl+A to the window, whose Select All
        // selects the list's rows; in the text it selects the text.
        event->accept();
        if (event->type() == QEvent::KeyPress)
            m_text->selectAll();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TPreviewPane::IsSelectAll(QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    return static_cast<QKeyEvent *>(event)->matches(QKeySequence::SelectAll);
}

QWidget *TPreviewPane::CurrentPage() const
{
    return m_pages->currentWidget();
}

QString TPreviewPane::InfoText() const
{
    return m_info->text();
}

QString TPreviewPane::Text() const
{
    return m_text->toPlainText();
}

QSize TPreviewPane::ShownPictureSize() const
{
    return m_picture->pixmap().size();
}
