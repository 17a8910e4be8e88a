#include "browser/OpenQueue.h"

#include "archive/vmVornFile.h"
#include "browser/FolderLayout.h"
#include "browser/GenFunctions.h"

#include <algorithm>

namespace {

// Two reads at once: a small archive queued behind a big one need not wait
// for it, and more would only compete for the same disk.
constexpr size_t WorkerCount = 2;

} // namespace

TOpenQueue::TOpenQueue(TRead read, QObject *parent) : QObject(parent), m_Read(std::move(read)) {}

TOpenQueue::~TOpenQueue()
{
    DropAll();
    {
        const std::lock_guard lock(m_Mutex);
        m_Stopping = true; // from now on no worker posts to this object
    }
    m_WorkArrived.notify_all();
    for (std::thread &worker : m_Workers)
        worker.join(); // each ends after its current read
}

TOpenQueue::TTicket TOpenQueue::Read(const QString &path, TDone done)
{
    auto job = std::make_shared<TJob>();
    job->path = path;
    {
        const std::lock_guard lock(m_Mutex);
        m_Waiting.push_back(job);
    }
    StartWorker();
    m_WorkArrived.notify_one();
    m_Line.push_back(TItem{m_NextTicket, std::move(job), std::move(done), {}});
    emit changed();
    return m_NextTicket++;
}

TOpenQueue::TTicket TOpenQueue::Then(std::function<void()> step)
{
    const TTicket ticket = m_NextTicket++;
    if (m_Line.empty()) {
        step();
        return ticket;
    }
    m_Line.push_back(TItem{ticket, nullptr, {}, std::move(step)});
    return ticket;
}

void TOpenQueue::StartWorker()
{
    if (m_Workers.size() < WorkerCount)
        m_Workers.emplace_back([this] { Work(); });
}

void TOpenQueue::Work()
{
    for (;;) {
        std::shared_ptr<TJob> job;
        {
            std::unique_lock lock(m_Mutex);
            m_WorkArrived.wait(lock, [this] { return m_Stopping || !m_Waiting.empty(); });
            if (m_Stopping)
                return;
            job = std::move(m_Waiting.front());
            m_Waiting.pop_front();
        }
        TArchive archive;
        std::exception_ptr error;
        try {
            archive = m_Read(job->path, job->dropped);
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard lock(m_Mutex);
        job->archive = std::move(archive);
        job->error = error;
        job->finished = true;
        m_JobFinished.notify_all();
        if (!m_Stopping)
            QMetaObject::invokeMethod(this, &TOpenQueue::HandOverReady, Qt::QueuedConnection);
        // A dropped read is no longer in the line: its archive goes with
        // `job`, here on the worker.
    }
}

bool TOpenQueue::FrontReady() const
{
    return !m_Line.empty() && (!m_Line.front().job || m_Line.front().job->finished);
}

void TOpenQueue::HandOverReady()
{
    for (;;) {
        TItem item;
        {
            const std::lock_guard lock(m_Mutex);
            if (!FrontReady())
                return;
            item = std::move(m_Line.front());
            m_Line.pop_front();
        }
        if (item.job)
            ++m_HandedOver;
        emit changed();
        // Either may open a nested event loop (an error box) that hands
        // over the next ones meanwhile.
        if (item.job)
            item.done(std::move(item.job->archive), item.job->error);
        else
            item.step();
    }
}

void TOpenQueue::Wait()
{
    while (!m_Line.empty()) {
        {
            std::unique_lock lock(m_Mutex);
            m_JobFinished.wait(lock, [this] { return FrontReady(); });
        }
        HandOverReady();
    }
}

void TOpenQueue::Forget(std::deque<TItem>::iterator item)
{
    if (!item->job)
        return;
    item->job->dropped = true; // a worker reading it stops
    const auto waiting = std::find(m_Waiting.begin(), m_Waiting.end(), item->job);
    if (waiting != m_Waiting.end())
        m_Waiting.erase(waiting);
}

void TOpenQueue::DropThrough(TTicket last)
{
    std::deque<TItem> dropped; // their archives are freed after the lock
    bool frontReady = false;
    {
        const std::lock_guard lock(m_Mutex);
        for (auto item = m_Line.begin(); item != m_Line.end();) {
            if (item->ticket > last) {
                ++item;
                continue;
            }
            Forget(item);
            dropped.push_back(std::move(*item));
            item = m_Line.erase(item);
        }
        frontReady = FrontReady();
    }
    if (!dropped.empty())
        emit changed();
    // The new front may be ready already, its worker's post spent while an
    // earlier one was still at the front.
    if (frontReady)
        QMetaObject::invokeMethod(this, &TOpenQueue::HandOverReady, Qt::QueuedConnection);
}

bool TOpenQueue::Reading(const QString &path) const
{
    return std::any_of(m_Line.begin(), m_Line.end(),
                       [&](const TItem &item) { return item.job && SamePath(item.job->path, path); });
}

QString TOpenQueue::Current() const
{
    for (const TItem &item : m_Line)
        if (item.job)
            return item.job->path;
    return {};
}
