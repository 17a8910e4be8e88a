#include "browser/OpenProgress.h"

#include "browser/GenFunctions.h"
#include "browser/OpenQueue.h"

#include <QProgressDialog>

int TOpenProgress::Delay = 500;

TOpenProgress::TOpenProgress(TOpenQueue &opens, QWidget *parent) : QObject(parent), m_Opens(opens), m_Parent(parent)
{
    m_Delay.setSingleShot(true);
    connect(&m_Delay, &QTimer::timeout, this, &TOpenProgress::Show);
    connect(&m_Opens, &TOpenQueue::changed, this, &TOpenProgress::Update);
}

TOpenProgress::~TOpenProgress()
{
    delete m_Dialog;
}

QProgressDialog *TOpenProgress::Window() const
{
    return m_Dialog && m_Dialog->isVisible() ? m_Dialog : nullptr;
}

void TOpenProgress::Update()
{
    if (m_Opens.Empty()) {
        m_InBatch = false;
        m_Delay.stop();
        if (m_Dialog)
            m_Dialog->hide();
        return;
    }
    if (!m_InBatch) {
        m_InBatch = true;
        m_HandedOverBefore = m_Opens.HandedOver();
        m_Delay.start(Delay);
    }
    if (Window())
        UpdateText();
}

void TOpenProgress::Show()
{
    if (!m_Dialog) {
        m_Dialog = new QProgressDialog(m_Parent);
        m_Dialog->setWindowTitle(QStringLiteral("Opening"));
        m_Dialog->setRange(0, 0); // the number of archives to come is not known
        m_Dialog->setMinimumWidth(420);
        // Hides itself; the queue reports what was dropped.
        connect(m_Dialog, &QProgressDialog::canceled, &m_Opens, &TOpenQueue::DropAll);
    }
    UpdateText();
    m_Dialog->show();
}

void TOpenProgress::UpdateText()
{
    m_Dialog->setLabelText(QStringLiteral("Opening %1\n%2 opened so far")
                               .arg(FileNamePart(m_Opens.Current()))
                               .arg(m_Opens.HandedOver() - m_HandedOverBefore));
}
