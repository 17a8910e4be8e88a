#pragma once
// TThumbnailView: the list in the "Thumbnails" view style, a grid of
// TThumbnailDelegate items. It tells the cache which archives the listed
// rows come from (anew whenever the list is reset or another list is shown)
// and, before each paint, which items are in view, so that only those are
// decoded; a finished thumbnail repaints the view.

#include <QListView>
#include <QSet>

class TThumbnailCache;
struct TThumbnailKey;

class TThumbnailView : public QListView {
    Q_OBJECT
public:
    explicit TThumbnailView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;

    TThumbnailCache &Cache() const { return *m_cache; }
    // The items that the viewport shows, wholly or in part.
    QSet<TThumbnailKey> VisibleItems() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Hands the cache the archives of the list shown.
    void FollowArchives();

    TThumbnailCache *m_cache;
};
