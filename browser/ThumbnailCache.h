#pragma once
// TThumbnailCache: small pictures of the bitmaps and textures of the listed
// archive, for the "Thumbnails" view style. Only what the view asks for is
// decoded, on worker threads, the newest request first; requests for items
// that scrolled out of view are dropped before they start. Finished
// thumbnails are kept per archive (its path, size and time) within a memory
// bound, the least recently used going first.

#include "archive/vmVornFileDef.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <deque>

class TVornFile;

class TThumbnailCache : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultSide = 96;
    static constexpr qint64 DefaultMemoryBound = 48ll << 20;

    explicit TThumbnailCache(QObject *parent = nullptr, int side = DefaultSide,
                             qint64 memoryBound = DefaultMemoryBound);
    ~TThumbnailCache() override;

    // The archive whose entries are asked for from now on (null: none). The
    // previous archive's decodes are waited for; its thumbnails stay cached.
    void SetArchive(const TVornFile *vorn);
    // Drops the waiting requests and waits for the running decodes, so that
    // the archive may go away.
    void WaitForDecodes();

    // The thumbnail of the entry when it is ready (a null image when the
    // entry does not decode); otherwise null, and the entry is queued if it
    // is in view.
    const QImage *Thumbnail(TEntryOffset entry, const QString &name);
    // The entries in view: queued requests for others are dropped, and only
    // these are queued from now on.
    void KeepOnly(const QSet<TEntryOffset> &visible);
    int Threads() const { return m_pool.maxThreadCount(); }

    int Side() const { return m_side; }
    int Decodes() const { return m_decodes; }        // decodes started so far
    qint64 MemoryUsed() const { return m_cache.totalCost(); }
    bool Idle() const { return m_running == 0 && m_queue.empty(); }

signals:
    void ready(TEntryOffset entry);
    // Nothing is queued or running any more.
    void idle();

private:
    struct TRequest {
        TEntryOffset entry;
        QString name;
    };

    void StartDecodes();
    void Finished(quint64 generation, const QString &archiveKey, TEntryOffset entry, const QImage &thumbnail);
    QString Key(TEntryOffset entry) const;
    static QImage Decode(const TVornFile &vorn, TEntryOffset entry, const QString &name, int side);

    int m_side;
    const TVornFile *m_vorn = nullptr;
    QString m_archiveKey;
    quint64 m_generation = 0; // of the archive; results of an earlier one are dropped
    QCache<QString, QImage> m_cache;
    std::deque<TRequest> m_queue; // newest first
    QSet<TEntryOffset> m_wanted;  // queued or running
    QSet<TEntryOffset> m_visible; // in view at the last paint
    int m_running = 0;
    int m_decodes = 0;
    QThreadPool m_pool;
};
