#include "browser/OpenProgress.h"

#include "browser/GenFunctions.h"

#include <QProgressDialog>

int TOpenProgress::Delay = 500;

TOpenProgress::TOpenProgress(QWidget *parent) : QObject(parent), m_Parent(parent)
{
    // Fires only when events are processed: between the archives of a batch
    // that is inside an opening, afterwards it is back in the event loop.
    m_Idle.setInterval(50);
    connect(&m_Idle, &QTimer::timeout, this, &TOpenProgress::CheckBatchEnded);
}

TOpenProgress::~TOpenProgress()
{
    delete m_Dialog;
}

QProgressDialog *TOpenProgress::Window() const
{
    return m_Dialog && m_Dialog->isVisible() ? m_Dialog : nullptr;
}

void TOpenProgress::Begin(const QString &path)
{
    if (!m_Batch.isValid()) {
        m_Batch.start();
        m_Opened = 0;
        m_Idle.start();
    }
    ++m_Depth;
    if (m_Batch.elapsed() < Delay)
        return;
    if (!m_Dialog) {
        m_Dialog = new QProgressDialog(m_Parent);
        m_Dialog->setWindowTitle(QStringLiteral("Opening"));
        m_Dialog->setCancelButton(nullptr);
        m_Dialog->setRange(0, 0); // the number of archives to come is not known
        m_Dialog->setMinimumDuration(0);
        m_Dialog->setMinimumWidth(420);
    }
    m_Dialog->setLabelText(
        QStringLiteral("Opening %1\n%2 opened so far").arg(FileNamePart(path)).arg(m_Opened));
    m_Dialog->show();
}

void TOpenProgress::End()
{
    --m_Depth;
    ++m_Opened;
}

void TOpenProgress::CheckBatchEnded()
{
    if (m_Depth > 0)
        return;
    m_Idle.stop();
    m_Batch.invalidate();
    if (m_Dialog)
        m_Dialog->hide();
}
