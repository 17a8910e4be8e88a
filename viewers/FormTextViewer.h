#pragma once
// TfrmViewerText: the text viewer window, a read-only, word-wrapping view of
// a text file. It keeps only the text, not the file's bytes.

#include "archive/FileBuffer.h"

#include <QWidget>

class QPlainTextEdit;

class TfrmViewerText : public QWidget {
    Q_OBJECT
public:
    explicit TfrmViewerText(QWidget *mainWindow = nullptr);

    void SetText(const QString &text);

protected:
    // Esc closes the window whichever control has the focus.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();

    QPlainTextEdit *memoMain = nullptr;
};

// Opens a text viewer window, owned by mainWindow, on the file's text and
// frees the buffer. Errors destroy the half-built window silently; the result
// is true in every case.
bool ViewAsText(TFileBuffer buffer, const QString &fileName, QWidget *mainWindow = nullptr);
