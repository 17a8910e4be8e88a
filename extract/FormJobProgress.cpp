#include "extract/FormJobProgress.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

QString ProgressSize(uint64_t bytes)
{
    return QLocale::c().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeSIFormat);
}

QString ProgressDuration(double seconds)
{
    const qint64 whole = qint64(seconds + 0.5);
    const qint64 hours = whole / 3600;
    const QString minutesSeconds = QStringLiteral("%1:%2").arg((whole / 60) % 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(minutesSeconds.rightJustified(5, QLatin1Char('0')))
                     : minutesSeconds;
}

TfrmJobProgress::TfrmJobProgress(QWidget *parent, TJob &job, const QString &title) : QDialog(parent), m_Job(job)
{
    setWindowTitle(title);
    setModal(false);
    lblFiles = new QLabel(this);
    lblBytes = new QLabel(this);
    lblSpeed = new QLabel(this);
    lblCurrent = new QLabel(this);
    lblCurrent->setTextFormat(Qt::PlainText);
    lblCurrent->setMinimumWidth(360);
    prbProgress = new QProgressBar(this);
    prbProgress->setRange(0, 1000);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmJobProgress::CancelJob);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblCurrent);
    layout->addWidget(prbProgress);
    layout->addWidget(lblFiles);
    layout->addWidget(lblBytes);
    layout->addWidget(lblSpeed);
    layout->addLayout(buttons);

    m_Refresh.setInterval(100);
    connect(&m_Refresh, &QTimer::timeout, this, &TfrmJobProgress::Refresh);
}

void TfrmJobProgress::Start(const QElapsedTimer &clock)
{
    m_Clock = clock;
    Refresh();
    show();
    m_Refresh.start();
}

void TfrmJobProgress::Refresh()
{
    const TJobProgress progress = m_Job.Progress();
    const QLocale locale;
    lblFiles->setText(QStringLiteral("Files: %1 of %2")
                          .arg(locale.toString(qulonglong(progress.EntriesDone)),
                               locale.toString(qulonglong(progress.EntriesTotal))));
    lblBytes->setText(QStringLiteral("Bytes: %1 of %2")
                          .arg(ProgressSize(progress.BytesDone), ProgressSize(progress.BytesTotal)));
    const double seconds = double(m_Clock.elapsed()) / 1000.0;
    QString speed = QStringLiteral("Speed: -");
    if (seconds > 0.2 && progress.BytesDone > 0) {
        const double rate = double(progress.BytesDone) / seconds;
        speed = QStringLiteral("Speed: %1/s").arg(ProgressSize(uint64_t(rate)));
        if (progress.BytesTotal > progress.BytesDone)
            speed += QStringLiteral(", time left: %1")
                         .arg(ProgressDuration(double(progress.BytesTotal - progress.BytesDone) / rate));
    }
    if (progress.Failures > 0)
        speed += QStringLiteral(", failed: %1").arg(progress.Failures);
    lblSpeed->setText(speed);
    const QString current = QString::fromStdString(progress.Current);
    lblCurrent->setText(lblCurrent->fontMetrics().elidedText(current, Qt::ElideMiddle, lblCurrent->width()));
    const uint64_t total = progress.BytesTotal ? progress.BytesTotal : progress.EntriesTotal;
    const uint64_t done = progress.BytesTotal ? progress.BytesDone : progress.EntriesDone;
    prbProgress->setValue(total ? int(double(done) * 1000.0 / double(total)) : 0);
}

void TfrmJobProgress::CancelJob()
{
    m_Job.Cancel();
    btnCancel->setEnabled(false);
    btnCancel->setText(QStringLiteral("Cancelling..."));
}

void TfrmJobProgress::reject()
{
    CancelJob(); // the window goes when the job has stopped
}
