#pragma once
// TFileListView: the list control lsvMain. "Details" is a table with the
// seven columns (TDetailsView); the three icon styles are one list view. Both show the same
// model through the same selection model, so switching keeps the selection.
// Beside the four styles, "Thumbnails" shows pictures of bitmaps and
// textures in a view of its own.

#include <QStackedWidget>

class QAbstractItemModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class TDetailsView;
class TThumbnailView;

class TFileListView : public QStackedWidget {
    Q_OBJECT

public:
    // The view styles, numbered as the tags of the view-style menu.
    enum TViewStyle { BigIcons = 0, SmallIcons = 1, List = 2, Details = 3, Thumbnails = 4 };
    static constexpr int StyleCount = 5;

    explicit TFileListView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model);
    QItemSelectionModel *selectionModel() const;

    TViewStyle ViewStyle() const { return m_Style; }
    void SetViewStyle(int style);

    TDetailsView *DetailsView() const { return m_Details; }
    QListView *IconsView() const { return m_Icons; }
    TThumbnailView *ThumbnailsView() const { return m_Thumbs; }
    QAbstractItemView *CurrentView() const;
    QList<QAbstractItemView *> Views() const;

    // Whether the visible view has the keyboard focus.
    bool HasListFocus() const;
    // Makes row 0 the current row without selecting it.
    void FocusFirstRow();

    // The default column widths, shrunk in proportion when they would not fit
    // into the available width (never widened).
    static QList<int> FittedColumnWidths(int available);

signals:
    // setModel gave the views a new model and selection model.
    void modelChanged();
    // A mouse button went down at this position of the visible view.
    void pressed(const QPoint &position);
    void rowDoubleClicked();
    void columnClicked(int column);
    void contextMenuRequested(const QPoint &globalPosition);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetUpDetails();
    void SetUpIcons();
    void Watch(QAbstractItemView *view);
    // Until the user sizes a column, the columns follow the list's width.
    void FitColumns();

    TDetailsView *m_Details = nullptr;
    QListView *m_Icons = nullptr;
    TThumbnailView *m_Thumbs = nullptr;
    TViewStyle m_Style = Details;
    bool m_ColumnsSizedByUser = false;
    bool m_FittingColumns = false;
    // The last press landed on a row without Shift or Ctrl.
    bool m_PressOnItem = false;
};
