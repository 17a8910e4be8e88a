#include "viewers/FormHexViewer.h"

#include "platform/ThemeColors.h"

#include "viewers/HexLayout.h"
#include "viewers/HexPane.h"
#include "viewers/WindowPlacement.h"

#include <QBoxLayout>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QWheelEvent>
#include <memory>

namespace {

constexpr int kScrollBarWidth = 16;
constexpr int kPanelBorder = 1;
// Client heights of the window: initial, smallest and largest.
constexpr int kInitialHeight = 449;
constexpr int kMinimumHeight = 293;
constexpr int kMaximumHeight = 453;
constexpr int kWheelNotch = 120;

} // namespace

TfrmViewerHex::TfrmViewerHex(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmViewerHex"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    FormCreate();
    ApplyGeometry();
    setWindowTitle(QStringLiteral("Hex Viewer"));
}

void TfrmViewerHex::FormCreate()
{
    pnlMain = new QFrame(this);
    pnlMain->setObjectName(QStringLiteral("pnlMain"));
    pnlMain->setFrameStyle(QFrame::Box | QFrame::Plain);
    pnlMain->setLineWidth(kPanelBorder);
    pnlMain->setAutoFillBackground(true);
    QPalette panelPalette = pnlMain->palette();
    panelPalette.setColor(QPalette::Window, panelPalette.color(QPalette::Base));
    pnlMain->setPalette(panelPalette);
    // White and pale cyan stripes; on a dark theme dark stripes of those tints.
    m_color1 = StripeColor(m_color1, palette());
    m_color2 = StripeColor(m_color2, palette());

    pbxHex = new THexPane(pnlMain);
    pbxHex->setObjectName(QStringLiteral("pbxHex"));
    pbxHex->SetColors(m_color1, m_color2);

    lblHeader = new QLabel(QString::fromStdString(THexLayout::HeaderText()), pnlMain);
    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    lblHeader->setFont(pbxHex->DumpFont());
    lblHeader->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblHeader->setLineWidth(1);
    lblHeader->setContentsMargins(0, 0, 0, 0);
    lblHeader->setIndent(0);
    lblHeader->setFixedHeight(pbxHex->LineHeight() + 2);
    lblHeader->setAutoFillBackground(true);
    UpdateHeaderBackground();

    shpTopLine = new QFrame(pnlMain);
    shpTopLine->setObjectName(QStringLiteral("shpTopLine"));
    shpTopLine->setFixedHeight(1);
    shpTopLine->setAutoFillBackground(true);
    QPalette linePalette = shpTopLine->palette();
    linePalette.setColor(QPalette::Window, Qt::black);
    shpTopLine->setPalette(linePalette);

    sbrMain = new QScrollBar(Qt::Vertical, pnlMain);
    sbrMain->setObjectName(QStringLiteral("sbrMain"));
    sbrMain->setFocusPolicy(Qt::NoFocus);
    sbrMain->setFixedWidth(kScrollBarWidth);
    sbrMain->setRange(0, 0);
    sbrMain->setPageStep(0);
    sbrMain->setEnabled(false);
    connect(sbrMain, &QScrollBar::valueChanged, pbxHex, &THexPane::SetFirstRow);
    pbxHex->installEventFilter(this);

    auto *rows = new QHBoxLayout;
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(pbxHex);
    rows->addStretch(1);
    rows->addWidget(sbrMain);

    auto *panelLayout = new QVBoxLayout(pnlMain);
    panelLayout->setContentsMargins(0, 0, 0, 0); // the frame keeps its border itself
    panelLayout->setSpacing(0);
    panelLayout->addWidget(lblHeader);
    panelLayout->addWidget(shpTopLine);
    panelLayout->addLayout(rows, 1);

    auto *formLayout = new QVBoxLayout(this);
    formLayout->setContentsMargins(0, 0, 0, 0);
    formLayout->addWidget(pnlMain);
}

// Width fixed to the 75 columns of a row plus the scroll bar; height between
// its limits.
void TfrmViewerHex::ApplyGeometry()
{
    const int paneWidth = THexLayout::RowLength * pbxHex->CharWidth() + 2;
    pbxHex->setFixedWidth(paneWidth);
    const int clientWidth = paneWidth + kScrollBarWidth + 2 * kPanelBorder;
    setFixedWidth(clientWidth);
    setMinimumHeight(kMinimumHeight);
    setMaximumHeight(kMaximumHeight);
    resize(clientWidth, kInitialHeight);
    // Layouts of a window that was never shown run only when it appears; run
    // them now, so that the pane has its height when SetData computes the
    // scroll range before the window shows.
    layout()->setGeometry(rect());
    pnlMain->layout()->setGeometry(pnlMain->contentsRect());
}

void TfrmViewerHex::SetData(TFileBuffer data, const QString &fileName)
{
    setWindowTitle(fileName.isEmpty() ? QStringLiteral("Hex Viewer")
                                      : fileName + QStringLiteral(" - Hex Viewer"));
    m_data = std::move(data);
    pbxHex->SetData(m_data.data(), m_data.size());
    sbrMain->setValue(0);
    UpdateScrollBar();
    pbxHex->update();
}

// Runs when data is handed over and whenever the pane changes height, so the
// last rows stay reachable after the window is made smaller.
void TfrmViewerHex::UpdateScrollBar()
{
    const THexLayout::TScrollRange range =
        THexLayout::ScrollRange(m_data.data() ? int64_t(m_data.size()) : 0, pbxHex->VisibleRows());
    sbrMain->setMaximum(range.maximum);
    sbrMain->setPageStep(range.pageStep);
    sbrMain->setEnabled(range.enabled);
}

bool TfrmViewerHex::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pbxHex && event->type() == QEvent::Resize)
        UpdateScrollBar();
    return QWidget::eventFilter(watched, event);
}

void TfrmViewerHex::UpdateHeaderBackground()
{
    QPalette palette = lblHeader->palette();
    palette.setColor(QPalette::Window, m_color1);
    lblHeader->setPalette(palette);
}

void TfrmViewerHex::SetColor1(const QColor &color)
{
    if (color == m_color1)
        return;
    m_color1 = color;
    UpdateHeaderBackground();
    pbxHex->SetColors(m_color1, m_color2);
}

void TfrmViewerHex::SetColor2(const QColor &color)
{
    if (color == m_color2)
        return;
    m_color2 = color;
    pbxHex->SetColors(m_color1, m_color2);
}

void TfrmViewerHex::SetSelStart(int64_t start)
{
    start = std::max<int64_t>(0, start);
    if (start == m_selStart)
        return;
    m_selStart = start;
    pbxHex->SetSelection(m_selStart, m_selLength);
}

void TfrmViewerHex::SetSelLength(int64_t length)
{
    length = std::max<int64_t>(0, length);
    if (length == m_selLength)
        return;
    m_selLength = length;
    pbxHex->SetSelection(m_selStart, m_selLength);
}

void TfrmViewerHex::ScrollBy(int rows)
{
    sbrMain->setValue(sbrMain->value() + rows);
}

void TfrmViewerHex::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape: close(); break;
    case Qt::Key_PageUp: ScrollBy(-sbrMain->pageStep()); break;
    case Qt::Key_PageDown: ScrollBy(sbrMain->pageStep()); break;
    case Qt::Key_Home: sbrMain->setValue(0); break;
    case Qt::Key_End: sbrMain->setValue(sbrMain->maximum()); break;
    case Qt::Key_Up: ScrollBy(-1); break;
    case Qt::Key_Down: ScrollBy(1); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void TfrmViewerHex::wheelEvent(QWheelEvent *event)
{
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / kWheelNotch;
    m_wheelRemainder -= notches * kWheelNotch;
    ScrollBy(-notches);
    event->accept();
}

bool ViewAsHex(TFileBuffer buffer, const QString &fileName, QWidget *mainWindow)
{
    try {
        auto window = std::make_unique<TfrmViewerHex>();
        window->SetData(std::move(buffer), fileName);
        CentreOver(window.get(), mainWindow);
        window->show();
        window.release(); // from here on the window deletes itself when closed
    } catch (...) {
        // Nothing is shown and nothing is said; the window is gone.
    }
    return true;
}
