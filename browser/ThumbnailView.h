#pragma once
// TThumbnailView: the list in the "Thumbnails" view style, a grid of
// TThumbnailDelegate items. Before each paint it tells the cache which
// entries are in view, so that only those are decoded; a finished thumbnail
// repaints the view.

#include <QListView>
#include <QSet>

#include "archive/vmVornFileDef.h"

class TThumbnailCache;

class TThumbnailView : public QListView {
    Q_OBJECT
public:
    explicit TThumbnailView(QWidget *parent = nullptr);

    TThumbnailCache &Cache() const { return *m_cache; }
    // The entries of the items that the viewport shows, wholly or in part.
    QSet<TEntryOffset> VisibleEntries() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TThumbnailCache *m_cache;
};
