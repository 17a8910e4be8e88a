#include "extract/GuiExtractFeedback.h"

#include "extract/FormOverwriteDlg.h"

#include <QMessageBox>
#include <QPushButton>

TOverwriteAnswer TGuiExtractFeedback::AskOverwrite(const TOverwriteQuestion &question)
{
    TfrmOverwriteDlg dialog(m_Parent);
    dialog.SetQuestion(question);
    dialog.exec();
    return dialog.Answer();
}

void TGuiExtractFeedback::ReportFailure(const TExtractFailure &failure)
{
    if (m_GoOnWithoutAsking)
        return;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VornViewer"),
                    QString::fromStdString(ExtractFailureText(failure)), QMessageBox::Ok, m_Parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton *goOn = box.addButton(QStringLiteral("Go On Without Asking"), QMessageBox::AcceptRole);
    box.exec();
    m_GoOnWithoutAsking = box.clickedButton() == goOn;
}
