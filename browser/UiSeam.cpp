#include "browser/UiSeam.h"

#include "archive/Exceptions.h"
#include "browser/Constants.h"
#include "browser/GenFunctions.h"
#include "viewers/PngWriter.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

void TDialogUiSeam::showError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, AppTitle, text, QMessageBox::Ok);
}

void TDialogUiSeam::showErrorMessage(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QStringLiteral("Error"), text, QMessageBox::Ok);
}

QStringList TDialogUiSeam::askOpenFileNames(QWidget *parent, const QString &folder, const QString &filter)
{
    QFileDialog dialog(parent, QString(), folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString TDialogUiSeam::askSaveFileName(QWidget *parent, const QString &filter, const QString &defaultSuffix)
{
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString TUiSeam::askFolder(QWidget *parent, const QString &caption, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, caption, start);
}

bool TUiSeam::execDialog(QDialog &dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

bool TUiSeam::openWithDefault(const QUrl &file)
{
    return QDesktopServices::openUrl(file);
}

QString TUiSeam::askSavePngName(QWidget *parent, const QString &)
{
    return askSaveFileName(parent, QStringLiteral("PNG images (*.png)"), QStringLiteral("png"));
}

QString TDialogUiSeam::askSavePngName(QWidget *parent, const QString &suggestedName)
{
    return TPngWriter::AskFileName(parent, suggestedName);
}

void ShowErrorBox(TUiSeam &ui, QWidget *parent, const std::exception &error)
{
    if (dynamic_cast<const EAbort *>(&error))
        return;
    ui.showError(parent, ErrorBoxText(QString::fromUtf8(error.what())));
}

void RunReporting(TUiSeam &ui, QWidget *parent, const std::function<void()> &command)
{
    try {
        command();
    } catch (const std::exception &error) {
        ShowErrorBox(ui, parent, error);
    }
}
