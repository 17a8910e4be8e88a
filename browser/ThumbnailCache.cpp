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

void TThumbnailCache::SetArchive(const TVornFile *vorn)
{
    if (vorn == m_vorn)
        return;
    WaitForDecodes();
    m_vorn = vorn;
    ++m_generation;
    m_archiveKey.clear();
    if (vorn) {
        // Path, size and time: an archive rebuilt under the same name gets
        // new thumbnails.
        const QFileInfo file(QString::fromStdString(vorn->FileName()));
        m_archiveKey = file.absoluteFilePath() + u'|' + QString::number(file.size()) + u'|'
                       + QString::number(file.lastModified().toMSecsSinceEpoch()) + u'|';
    }
}

void TThumbnailCache::WaitForDecodes()
{
    m_queue.clear();
    m_wanted.clear();
    m_visible.clear();
    ++m_generation;
    m_pool.waitForDone();
}

QString TThumbnailCache::Key(TEntryOffset entry) const
{
    return m_archiveKey + QString::number(entry);
}

const QImage *TThumbnailCache::Thumbnail(TEntryOffset entry, const QString &name)
{
    if (!m_vorn)
        return nullptr;
    if (const QImage *cached = m_cache.object(Key(entry)))
        return cached;
    if (!m_wanted.contains(entry) && m_visible.contains(entry)) {
        m_wanted.insert(entry);
        m_queue.push_front({entry, name});
        if (m_queue.size() > kQueueLimit) {
            m_wanted.remove(m_queue.back().entry);
            m_queue.pop_back();
        }
        StartDecodes();
    }
    return nullptr;
}

void TThumbnailCache::KeepOnly(const QSet<TEntryOffset> &visible)
{
    m_visible = visible;
    const auto gone = [&](const TRequest &request) {
        if (visible.contains(request.entry))
            return false;
        m_wanted.remove(request.entry);
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
        m_pool.start([this, vorn = m_vorn, side = m_side, generation = m_generation, key = m_archiveKey, request] {
            const QImage thumbnail = Decode(*vorn, request.entry, request.name, side);
            QMetaObject::invokeMethod(
                this, [=, this] { Finished(generation, key, request.entry, thumbnail); }, Qt::QueuedConnection);
        });
    }
}

void TThumbnailCache::Finished(quint64 generation, const QString &archiveKey, TEntryOffset entry,
                               const QImage &thumbnail)
{
    --m_running;
    // A thumbnail of an earlier archive is still right for that archive.
    m_cache.insert(archiveKey + QString::number(entry), new QImage(thumbnail),
                   std::max<qsizetype>(1, thumbnail.sizeInBytes()));
    if (generation == m_generation) {
        m_wanted.remove(entry);
        emit ready(entry);
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
