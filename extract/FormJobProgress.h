#pragma once
// TfrmJobProgress: the progress window of a running job -- files and bytes
// done of the total, speed, time left, the current name -- with "Cancel".
// It is not modal: the main window stays usable while it shows. Closing it
// cancels the job too. It reads the job a few times a second.

#include "engines/Job.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmJobProgress : public QDialog {
    Q_OBJECT
public:
    TfrmJobProgress(QWidget *parent, TJob &job, const QString &title);

    // Shows the window; `clock` runs since the job started.
    void Start(const QElapsedTimer &clock);
    // Reads the job and updates the texts.
    void Refresh();

    QLabel *lblFiles = nullptr;
    QLabel *lblBytes = nullptr;
    QLabel *lblSpeed = nullptr;
    QLabel *lblCurrent = nullptr;
    QProgressBar *prbProgress = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void reject() override; // Esc and the close button cancel

private:
    void CancelJob();

    TJob &m_Job;
    QElapsedTimer m_Clock;
    QTimer m_Refresh;
};

// "12.3 MB" style sizes and "1:05" style durations for progress texts.
QString ProgressSize(uint64_t bytes);
QString ProgressDuration(double seconds);
