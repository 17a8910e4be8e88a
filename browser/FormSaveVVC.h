#pragma once
// TfrmSaveVVC: the "Save VornViewer Collection" dialog. It lists the open
// archives with check marks; the checked ones are written to the collection.
// Created once at start-up and reused.

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TfrmSaveVVC : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSaveVVC(QWidget *parent = nullptr);

    // Replaces the list with these paths (oldest archive first), all checked.
    void SetArchivePaths(const QStringList &paths);
    // The checked paths, top to bottom.
    QStringList CheckedPaths() const;

    // The collection command after the file was chosen: lists openPaths,
    // shows the dialog modally and, when it is closed with "&Ok", writes the
    // checked paths to fileName. Returns whether the file was written; a
    // cancelled dialog leaves the file untouched. A write failure throws
    // Exception and leaves an existing file as it was.
    bool Execute(const QString &fileName, const QStringList &openPaths);

    QListWidget *CheckListBox1;
    QPushButton *Button2; // "&Ok"
    QPushButton *Button1; // "&Cancel"
};

// What the main window's save dialog for collections (dlgSave) offers: the
// ".vvc" files or all files, and the extension added to a bare name.
QString CollectionSaveFilter();
QString CollectionDefaultSuffix();
