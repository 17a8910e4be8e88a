#include "extract/GuiExtractFeedback.h"

#include "extract/FormOverwriteDlg.h"

#include <QMessageBox>

TOverwriteAnswer TGuiExtractFeedback::AskOverwrite(const TOverwriteQuestion &question)
{
    TfrmOverwriteDlg dialog(m_Parent);
    dialog.SetQuestion(question);
    dialog.exec();
    return dialog.Answer();
}

void TGuiExtractFeedback::ReportFailure(const TExtractFailure &failure)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VornViewer"),
                    QString::fromStdString(ExtractFailureText(failure)), QMessageBox::Ok, m_Parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
