#pragma once
// The question about replacing an existing file, made anew for each file.
// Each of the five buttons gives its answer; closing the dialog any other
// way counts as No.

#include "engines/ExtractTypes.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmOverwriteDlg : public QDialog {
    Q_OBJECT

public:
    explicit TfrmOverwriteDlg(QWidget *parent = nullptr);

    // Fills the labels with the two files' names, sizes and times.
    void SetQuestion(const TOverwriteQuestion &question);
    TOverwriteAnswer Answer() const { return m_Answer; }

    QLabel *Image1 = nullptr;
    QLabel *lblCaption = nullptr;
    QLabel *lblText1 = nullptr;
    QLabel *lblEntry1 = nullptr;
    QLabel *lblText2 = nullptr;
    QLabel *lblEntry2 = nullptr;
    QPushButton *btnYes = nullptr;
    QPushButton *btnNo = nullptr;
    QPushButton *btnYesToAll = nullptr;
    QPushButton *btnNoToAll = nullptr;
    QPushButton *btnOnlyOlder = nullptr;

private:
    void CreateControls();
    QPushButton *AddAnswerButton(const QString &caption, TOverwriteAnswer answer);

    TOverwriteAnswer m_Answer = TOverwriteAnswer::No;
};

// A file's size in bytes, a line break, its local date and time ("???"
// when the time is unknown): what the question shows about the file on disk.
QString ExistingFileText(uint64_t size, const std::optional<std::time_t> &time);
