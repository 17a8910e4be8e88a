#pragma once
// TOpenProgress: while several archives open one after another (a
// collection, several chosen or dropped files) and that has taken longer
// than a moment, a small window names the archive being opened and counts
// those opened so far. Each opening is marked with a TStep; the window goes
// once the window's thread is back in its event loop with no opening under
// way, so callers need not say when a batch ends.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QProgressDialog;
class QWidget;

class TOpenProgress : public QObject {
    Q_OBJECT
public:
    explicit TOpenProgress(QWidget *parent);
    ~TOpenProgress() override;

    // Milliseconds a batch runs before the window shows.
    static int Delay;

    class TStep {
    public:
        TStep(TOpenProgress &progress, const QString &path) : m_Progress(progress) { m_Progress.Begin(path); }
        ~TStep() { m_Progress.End(); }
        TStep(const TStep &) = delete;
        TStep &operator=(const TStep &) = delete;

    private:
        TOpenProgress &m_Progress;
    };

    // The window while it shows; nullptr otherwise.
    QProgressDialog *Window() const;

private:
    void Begin(const QString &path);
    void End();
    void CheckBatchEnded();

    QPointer<QWidget> m_Parent;
    QProgressDialog *m_Dialog = nullptr;
    QElapsedTimer m_Batch; // since the batch's first opening; invalid between batches
    QTimer m_Idle;
    int m_Depth = 0;
    int m_Opened = 0;
};
