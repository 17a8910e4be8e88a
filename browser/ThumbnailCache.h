#pragma once
// TThumbnailCache: small pictures of the bitmaps and textures of the listed
// archives, for the "Thumbnails" view style. A list may mix the entries of
// several archives (the game view), so an item is asked for by its archive
// and entry, and decoded from its own archive. Only what the view asks for
// is decoded, on worker threads, the newest request first; requests for
// items that scrolled out of view are dropped before they start. Finished
// thumbnails are kept per archive file (its path, size and time, so an
// archive's own listing and the game view share them) within a memory
// bound, the least recently used going first.

#include "archive/vmVornFileDef.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <deque>
#include <vector>

class TVornFile;

// One item of a list: an entry of an archive.
struct TThumbnailKey {
    const TVornFile *Vorn = nullptr;
    TEntryOffset Entry = 0;
    bool operator==(const TThumbnailKey &) const = default;
};

inline size_t qHash(const TThumbnailKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.Vorn, key.Entry);
}

class TThumbnailCache : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultSide = 96;
    static constexpr qint64 DefaultMemoryBound = 48ll << 20;

    explicit TThumbnailCache(QObject *parent = nullptr, int side = DefaultSide,
                             qint64 memoryBound = DefaultMemoryBound);
    ~TThumbnailCache() override;

    // The archives whose entries are asked for from now on; entries of any
    // other archive get no thumbnail. When the set changes, the decodes of
    // the previous set are waited for; their thumbnails stay cached.
    void SetArchives(const std::vector<const TVornFile *> &archives);
    // Drops the waiting requests and waits for the running decodes, so that
    // the archives may go away.
    void WaitForDecodes();

    // The thumbnail of the item when it is ready (a null image when the
    // entry does not decode); otherwise null, and the item is queued if it
    // is in view.
    const QImage *Thumbnail(TThumbnailKey item, const QString &name);
    // The items in view: queued requests for others are dropped, and only
    // these are queued from now on.
    void KeepOnly(const QSet<TThumbnailKey> &visible);
    int Threads() const { return m_pool.maxThreadCount(); }

    int Side() const { return m_side; }
    int Decodes() const { return m_decodes; }        // decodes started so far
    qint64 MemoryUsed() const { return m_cache.totalCost(); }
    bool Idle() const { return m_running == 0 && m_queue.empty(); }

signals:
    void ready(TThumbnailKey item);
    // Nothing is queued or running any more.
    void idle();

private:
    struct TRequest {
        TThumbnailKey item;
        QString key; // in m_cache
        QString name;
    };

    void StartDecodes();
    void Finished(quint64 generation, const TRequest &request, const QImage &thumbnail);
    static QString ArchiveKey(const TVornFile &vorn);
    static QImage Decode(const TVornFile &vorn, TEntryOffset entry, const QString &name, int side);

    int m_side;
    std::vector<const TVornFile *> m_archives;
    QHash<const TVornFile *, QString> m_archiveKeys; // of m_archives
    quint64 m_generation = 0; // of the requests; an earlier one's results are kept, not announced
    QCache<QString, QImage> m_cache;
    std::deque<TRequest> m_queue;  // newest first
    QSet<TThumbnailKey> m_wanted;  // queued or running
    QSet<TThumbnailKey> m_visible; // in view at the last paint
    int m_running = 0;
    int m_decodes = 0;
    QThreadPool m_pool;
};
