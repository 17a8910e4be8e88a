#include "browser/FileListView.h"

#include "browser/DetailsView.h"
#include "browser/FileListModel.h"
#include "browser/ThumbnailView.h"

#include <QHeaderView>
#include <QListView>
#include <QMouseEvent>

#include <climits>
#include <numeric>

namespace {
constexpr int ColumnWidths[TFileListModel::ColumnCount] = {115, 80, 60, 155, 45, 50, 70};
}

TFileListView::TFileListView(QWidget *parent) : QStackedWidget(parent)
{
    SetUpDetails();
    SetUpIcons();
    m_Thumbs = new TThumbnailView(this);
    Watch(m_Thumbs);
    addWidget(m_Icons);
    addWidget(m_Details);
    addWidget(m_Thumbs);
    setCurrentWidget(m_Details);
}

void TFileListView::SetUpDetails()
{
    m_Details = new TDetailsView(this);
    m_Details->setObjectName(QStringLiteral("lsvMainDetails"));
    m_Details->setSortingEnabled(false);
    m_Details->header()->setSectionsClickable(true);
    m_Details->header()->setStretchLastSection(false);
    m_Details->header()->setHighlightSections(false);
    connect(m_Details->header(), &QHeaderView::sectionClicked, this, &TFileListView::columnClicked);
    connect(m_Details->header(), &QHeaderView::sectionResized, this, [this] {
        if (!m_FittingColumns)
            m_ColumnsSizedByUser = true;
    });
    Watch(m_Details);
}

void TFileListView::SetUpIcons()
{
    m_Icons = new QListView(this);
    m_Icons->setObjectName(QStringLiteral("lsvMainIcons"));
    m_Icons->setUniformItemSizes(true);
    m_Icons->setMovement(QListView::Static);
    m_Icons->setResizeMode(QListView::Adjust);
    m_Icons->setWrapping(true);
    m_Icons->setLayoutMode(QListView::Batched);
    m_Icons->setBatchSize(2000);
    Watch(m_Icons);
}

void TFileListView::Watch(QAbstractItemView *view)
{
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(false);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->setTextElideMode(Qt::ElideRight);
    view->viewport()->installEventFilter(this);
    connect(view, &QAbstractItemView::doubleClicked, this, &TFileListView::rowDoubleClicked);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint &position) { emit contextMenuRequested(view->viewport()->mapToGlobal(position)); });
}

void TFileListView::setModel(QAbstractItemModel *model)
{
    m_Details->setModel(model);
    m_Icons->setModel(model);
    m_Icons->setModelColumn(0);
    QItemSelectionModel *shared = m_Details->selectionModel();
    QItemSelectionModel *own = m_Icons->selectionModel();
    m_Icons->setSelectionModel(shared);
    delete own;
    m_Thumbs->setModel(model);
    own = m_Thumbs->selectionModel();
    m_Thumbs->setSelectionModel(shared);
    delete own;
    FitColumns();
    emit modelChanged();
}

QList<int> TFileListView::FittedColumnWidths(int available)
{
    int total = 0;
    for (int width : ColumnWidths)
        total += width;
    QList<int> widths;
    int given = 0;
    for (int column = 0; column < TFileListModel::ColumnCount; ++column) {
        // Rounded on the running sum, so the shrunk widths add up exactly.
        const int sum = total <= available ? given + ColumnWidths[column]
                                           : int(qint64(available) * (given + ColumnWidths[column]) / total);
        given += ColumnWidths[column];
        widths << sum - std::accumulate(widths.cbegin(), widths.cend(), 0);
    }
    return widths;
}

void TFileListView::FitColumns()
{
    if (m_ColumnsSizedByUser || !m_Details->model())
        return;
    m_FittingColumns = true;
    // Before the first layout the viewport has no real width yet.
    const int available = m_Details->viewport()->width() > 100 ? m_Details->viewport()->width() : INT_MAX;
    const QList<int> widths = FittedColumnWidths(available);
    for (int column = 0; column < widths.size(); ++column)
        m_Details->setColumnWidth(column, widths[column]);
    m_FittingColumns = false;
}

QItemSelectionModel *TFileListView::selectionModel() const
{
    return m_Details->selectionModel();
}

void TFileListView::SetViewStyle(int style)
{
    m_Style = TViewStyle(((style % StyleCount) + StyleCount) % StyleCount);
    const bool hadFocus = HasListFocus();
    if (m_Style == Details) {
        setCurrentWidget(m_Details);
    } else if (m_Style == Thumbnails) {
        setCurrentWidget(m_Thumbs);
    } else {
        const bool big = m_Style == BigIcons;
        m_Icons->setViewMode(big ? QListView::IconMode : QListView::ListMode);
        m_Icons->setIconSize(big ? QSize(32, 32) : QSize(16, 16));
        m_Icons->setFlow(m_Style == List ? QListView::TopToBottom : QListView::LeftToRight);
        m_Icons->setWrapping(true);
        m_Icons->setWordWrap(big);
        m_Icons->setGridSize(big ? QSize(80, 64) : (m_Style == SmallIcons ? QSize(150, 20) : QSize()));
        m_Icons->setMovement(QListView::Static);
        m_Icons->setResizeMode(QListView::Adjust);
        setCurrentWidget(m_Icons);
    }
    if (hadFocus)
        CurrentView()->setFocus();
}

QAbstractItemView *TFileListView::CurrentView() const
{
    if (m_Style == Details)
        return m_Details;
    if (m_Style == Thumbnails)
        return m_Thumbs;
    return m_Icons;
}

QList<QAbstractItemView *> TFileListView::Views() const
{
    return {m_Details, m_Icons, m_Thumbs};
}

bool TFileListView::HasListFocus() const
{
    return CurrentView()->hasFocus();
}

void TFileListView::FocusFirstRow()
{
    QAbstractItemModel *model = m_Details->model();
    if (model && model->rowCount() > 0)
        selectionModel()->setCurrentIndex(model->index(0, 0), QItemSelectionModel::NoUpdate);
}

bool TFileListView::eventFilter(QObject *watched, QEvent *event)
{
    const bool onViewport = watched == CurrentView()->viewport();
    if (event->type() == QEvent::MouseButtonPress && onViewport) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint position = mouse->position().toPoint();
        m_PressOnItem = CurrentView()->indexAt(position).isValid() &&
                        !(mouse->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
        emit pressed(position);
    }
    // A press on a row may become a drag of the selection: the moves before
    // the drag starts must not reach the view, whose rubber band would
    // shrink the selection to the pressed row. A press on empty space or
    // with Shift or Ctrl keeps the rubber band.
    if (event->type() == QEvent::MouseMove && onViewport && m_PressOnItem) {
        if (static_cast<QMouseEvent *>(event)->buttons() & (Qt::LeftButton | Qt::RightButton))
            return true;
        m_PressOnItem = false;
    }
    if (event->type() == QEvent::Resize && watched == m_Details->viewport())
        FitColumns();
    return QStackedWidget::eventFilter(watched, event);
}
