#pragma once
// TOpenQueue: reads archives on worker threads and hands each one over on
// its own thread in the order the reads were asked for, whatever order the
// workers finish in. Steps that only need to come after the reads queued
// before them (remembering a collection, the open dialog's folder) queue in
// the same line.
//
// Dropping a read forgets it: a worker still reading is told to stop (its
// read's cancel flag turns true) and frees what it made itself, nothing is
// handed over. The destructor drops everything and waits for the workers'
// current reads.

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TFolderLayout;
class TVornFile;

class TOpenQueue : public QObject {
    Q_OBJECT

public:
    // What a read makes of a path, both on the worker.
    struct TArchive {
        std::unique_ptr<TVornFile> vorn;
        std::shared_ptr<const TFolderLayout> folders;
    };
    // Reads the archive at a path; raises the reader's error. Runs on a
    // worker; `cancel` turns true when the read is dropped, and the read may
    // stop then by raising.
    using TRead = std::function<TArchive(const QString &path, const std::atomic<bool> &cancel)>;
    // The read's archive, or its error with a null archive.
    using TDone = std::function<void(TArchive archive, std::exception_ptr error)>;
    using TTicket = uint64_t;

    explicit TOpenQueue(TRead read, QObject *parent = nullptr);
    ~TOpenQueue() override;

    // Starts reading on a worker; `done` runs on this object's thread once
    // the read and everything queued before it are handed over.
    TTicket Read(const QString &path, TDone done);
    // Runs once everything queued before it is handed over; at once when
    // nothing is queued.
    TTicket Then(std::function<void()> step);
    // Forgets the queued reads and steps up to and including `last`;
    // nothing of them is handed over.
    void DropThrough(TTicket last);
    void DropAll() { DropThrough(m_NextTicket); }
    // The ticket given out last (0 before the first).
    TTicket LastTicket() const { return m_NextTicket - 1; }
    // Hands over everything queued, blocking until the workers are done.
    void Wait();

    bool Empty() const { return m_Line.empty(); }
    // Whether a read of that path is queued (paths compared as the file
    // system compares them).
    bool Reading(const QString &path) const;
    // The path of the oldest queued read; empty when none is.
    QString Current() const;
    // Reads handed over so far, since this queue was made.
    uint64_t HandedOver() const { return m_HandedOver; }

signals:
    // Something was queued, handed over or dropped.
    void changed();

private:
    // A read, shared between the line and the worker reading it.
    struct TJob {
        QString path;
        TArchive archive;
        std::exception_ptr error;
        bool finished = false;
        std::atomic<bool> dropped = false;
    };
    // One place in the line: a read (job set) or a step.
    struct TItem {
        TTicket ticket = 0;
        std::shared_ptr<TJob> job;
        TDone done;
        std::function<void()> step;
    };

    void Work();
    void StartWorker();
    bool FrontReady() const; // with m_Mutex held
    // Hands over the items at the front of the line that are ready.
    void HandOverReady();
    void Forget(std::deque<TItem>::iterator item); // with m_Mutex held

    TRead m_Read;
    std::deque<TItem> m_Line; // this object's thread only
    TTicket m_NextTicket = 1;
    uint64_t m_HandedOver = 0;

    mutable std::mutex m_Mutex;
    std::condition_variable m_WorkArrived;
    std::condition_variable m_JobFinished;
    std::deque<std::shared_ptr<TJob>> m_Waiting; // reads no worker has taken yet
    bool m_Stopping = false;
    std::vector<std::thread> m_Workers;
};
