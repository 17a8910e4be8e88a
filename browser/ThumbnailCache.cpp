#include "browser/ThumbnailCache.h"

#include "archive/vmVornFile.h"
#include "viewers/ImageDecoder.h"

#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <thread>

namespace {

// Requests beyond this many are the oldest and long out of view.
constexpr size_t kQueueLimit = 512;

} // namespace

TThumbnailCache::TThumbnailCache(QObject *parent, int side, qint64 memoryBound)
    : QObject(parent), m_side(side), m_cache(memoryBound)
{
    m_pool.setMaxThreadCount(int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u)));
}

TThumbnailCache::~TThumbnailCache()
{
    m_queue.clear();
    m_pool.waitForDone();
}

void TThumbnailCache::SetArchives(const std::vector<const TVornFile *> &archives)
{
    if (archives == m_archives)
        return;
    WaitForDecodes();
    m_archives = archives;
    m_archiveKeys.clear();
    for (const TVornFile *vorn : archives)
        m_archiveKeys.insert(vorn, ArchiveKey(*vorn));
}

QString TThumbnailCache::ArchiveKey(const TVornFile &vorn)
{
    // Path, size and time: an archive rebuilt under the same name gets new
    // thumbnails.
    const QFileInfo file(QString::fromStdString(vorn.FileName()));
    return file.absoluteFilePath() + u'|' + QString::number(file.size()) + u'|'
           + QString::number(file.lastModified().toMSecsSinceEpoch()) + u'|';
}

void TThumbnailCache::WaitForDecodes()
{
    m_queue.clear();
    m_wanted.clear();
    m_visible.clear();
    ++m_generation;
    m_pool.waitForDone();
}

const QImage *TThumbnailCache::Thumbnail(TThumbnailKey item, const QString &name)
{
    const auto archive = m_archiveKeys.constFind(item.Vorn);
    if (archive == m_archiveKeys.cend())
        return nullptr; // not an archive of the list: it may be gone
    QString key = *archive + QString::number(item.Entry);
    if (const QImage *cached = m_cache.object(key))
        return cached;
    if (!m_wanted.contains(item) && m_visible.contains(item)) {
        m_wanted.insert(item);
        m_queue.push_front({item, std::move(key), name});
        if (m_queue.size() > kQueueLimit) {
            m_wanted.remove(m_queue.back().item);
            m_queue.pop_back();
        }
        StartDecodes();
    }
    return nullptr;
}

void TThumbnailCache::KeepOnly(const QSet<TThumbnailKey> &visible)
{
    m_visible = visible;
    const auto gone = [&](const TRequest &request) {
        if (visible.contains(request.item))
            return false;
        m_wanted.remove(request.item);
        return true;
    };
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), gone), m_queue.end());
}

void TThumbnailCache::StartDecodes()
{
    while (!m_queue.empty() && m_running < m_pool.maxThreadCount()) {
        const TRequest request = m_queue.front();
        m_queue.pop_front();
        ++m_running;
        ++m_decodes;
        m_pool.start([this, side = m_side, generation = m_generation, request] {
            const QImage thumbnail = Decode(*request.item.Vorn, request.item.Entry, request.name, side);
            QMetaObject::invokeMethod(
                this, [=, this] { Finished(generation, request, thumbnail); }, Qt::QueuedConnection);
        });
    }
}

void TThumbnailCache::Finished(quint64 generation, const TRequest &request, const QImage &thumbnail)
{
    --m_running;
    // Keyed by the archive file, the thumbnail stays right after its
    // archive closed; its pointer may by now stand for another archive, so
    // only a request of the current set is announced.
    m_cache.insert(request.key, new QImage(thumbnail), std::max<qsizetype>(1, thumbnail.sizeInBytes()));
    if (generation == m_generation) {
        m_wanted.remove(request.item);
        emit ready(request.item);
    }
    StartDecodes();
    if (Idle())
        emit idle();
}

QImage TThumbnailCache::Decode(const TVornFile &vorn, TEntryOffset entry, const QString &name, int side)
{
    try {
        const TFileBuffer data = vorn.ReadFile(entry);
        const QImage picture = TImageDecoder::Decode(name, data.data(), data.size());
        // Drawn as the image viewer draws it: the alpha channel is not used.
        return picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    } catch (const std::exception &) {
        return {}; // shown with its type picture
    }
}
