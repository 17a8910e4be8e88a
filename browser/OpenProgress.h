#pragma once
// TOpenProgress: while archives open on workers (one, or a batch: a
// collection, several chosen or dropped files) and that has taken longer
// than a moment, a small window names the archive being opened and counts
// those opened so far. Its Cancel drops every open still under way. The
// window goes once nothing is being opened.

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>

class QProgressDialog;
class QWidget;
class TOpenQueue;

class TOpenProgress : public QObject {
    Q_OBJECT
public:
    TOpenProgress(TOpenQueue &opens, QWidget *parent);
    ~TOpenProgress() override;

    // Milliseconds a batch runs before the window shows.
    static int Delay;

    // The window while it shows; nullptr otherwise.
    QProgressDialog *Window() const;

private:
    // Follows the queue: starts and ends a batch, keeps the text current.
    void Update();
    void Show();
    void UpdateText();

    TOpenQueue &m_Opens;
    QPointer<QWidget> m_Parent;
    QProgressDialog *m_Dialog = nullptr;
    QTimer m_Delay;
    bool m_InBatch = false;
    uint64_t m_HandedOverBefore = 0; // the queue's count when the batch began
};
