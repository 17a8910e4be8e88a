#pragma once
// TUiSeam: the modal questions and messages of the main window. The real
// implementation shows the real dialogs; tests install one that answers them.

#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

class IExtractReport;
class IOverwriteQuestion;
class QDialog;
class QUrl;
class QWidget;

class TUiSeam {
public:
    virtual ~TUiSeam() = default;

    // The standard error box: stop icon, OK button, caption "VornViewer".
    virtual void showError(QWidget *parent, const QString &text) = 0;
    // A message box of the error kind with a single OK button.
    virtual void showErrorMessage(QWidget *parent, const QString &text) = 0;
    // The open dialog: several existing files; empty when cancelled.
    virtual QStringList askOpenFileNames(QWidget *parent, const QString &folder,
                                         const QString &filter) = 0;
    // The save dialog: one file name; empty when cancelled. Asks before
    // overwriting and adds defaultSuffix to a name without one.
    virtual QString askSaveFileName(QWidget *parent, const QString &filter,
                                    const QString &defaultSuffix) = 0;
    // The save dialog for a PNG file, offering suggestedName; empty when
    // cancelled. By default the plain save dialog.
    virtual QString askSavePngName(QWidget *parent, const QString &suggestedName);
    // The folder dialog, starting at `start`; empty when cancelled.
    virtual QString askFolder(QWidget *parent, const QString &caption, const QString &start);
    // Shows a modal dialog; true when it was accepted.
    virtual bool execDialog(QDialog &dialog);
    // Hands a local file to the desktop's default application for its
    // type; false when that could not be started.
    virtual bool openWithDefault(const QUrl &file);
    // Answers to an extraction run; nullptr: the real dialogs and boxes.
    virtual IOverwriteQuestion *overwriteQuestion() { return nullptr; }
    virtual IExtractReport *extractReport() { return nullptr; }
};

// The real dialogs.
class TDialogUiSeam : public TUiSeam {
public:
    void showError(QWidget *parent, const QString &text) override;
    void showErrorMessage(QWidget *parent, const QString &text) override;
    QStringList askOpenFileNames(QWidget *parent, const QString &folder, const QString &filter) override;
    QString askSaveFileName(QWidget *parent, const QString &filter, const QString &defaultSuffix) override;
    QString askSavePngName(QWidget *parent, const QString &suggestedName) override;
};

// The standard error box ("VornViewer", stop icon, "." appended) for an
// error no command handles; a silent EAbort shows nothing.
void ShowErrorBox(TUiSeam &ui, QWidget *parent, const std::exception &error);
// Runs a command, reporting its error through ShowErrorBox.
void RunReporting(TUiSeam &ui, QWidget *parent, const std::function<void()> &command);
