#include "extract/FormFailureReport.h"

#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfrmFailureReport::TfrmFailureReport(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Report"));
    lblSummary = new QLabel(this);
    lblSummary->setTextFormat(Qt::PlainText);
    lsvFailures = new QTreeWidget(this);
    lsvFailures->setColumnCount(2);
    lsvFailures->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Error")});
    lsvFailures->setRootIsDecorated(false);
    lsvFailures->setUniformRowHeights(true);
    lsvFailures->header()->setStretchLastSection(true);
    btnCopy = new QPushButton(QStringLiteral("Copy"), this);
    btnSave = new QPushButton(QStringLiteral("Save..."), this);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setDefault(true);
    connect(btnCopy, &QPushButton::clicked, this, &TfrmFailureReport::CopyClick);
    connect(btnSave, &QPushButton::clicked, this, &TfrmFailureReport::SaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnCopy);
    buttons->addWidget(btnSave);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(lsvFailures);
    layout->addLayout(buttons);
    resize(640, 400);
}

void TfrmFailureReport::SetReport(const QString &summary, const std::vector<TJobFailure> &failures)
{
    m_Summary = summary;
    m_Failures = failures;
    lblSummary->setText(summary);
    lsvFailures->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(failures.size()));
    for (const TJobFailure &failure : failures)
        items << new QTreeWidgetItem(
            QStringList{QString::fromStdString(failure.Path), QString::fromStdString(failure.Reason)});
    lsvFailures->addTopLevelItems(items);
    lsvFailures->resizeColumnToContents(0);
}

QString TfrmFailureReport::ReportText() const
{
    QString text = m_Summary + QLatin1Char('\n');
    for (const TJobFailure &failure : m_Failures)
        text += QString::fromStdString(failure.Path + ": " + failure.Reason) + QLatin1Char('\n');
    return text;
}

void TfrmFailureReport::CopyClick()
{
    QGuiApplication::clipboard()->setText(ReportText());
}

void TfrmFailureReport::SaveClick()
{
    const QString fileName =
        AskSaveFileName ? AskSaveFileName()
                        : QFileDialog::getSaveFileName(this, QStringLiteral("Save Report"), QString(),
                                                       QStringLiteral("Text files (*.txt);;All files (*)"));
    if (!fileName.isEmpty())
        SaveTo(fileName);
}

bool TfrmFailureReport::SaveTo(const QString &fileName)
{
    QFile file(fileName);
    const QByteArray bytes = ReportText().toUtf8();
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
        file.flush()) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    QMessageBox::critical(this, QStringLiteral("VornViewer"),
                          QStringLiteral("Can't save the report: %1").arg(file.errorString()));
    return false;
}
