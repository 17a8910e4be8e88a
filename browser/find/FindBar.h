#pragma once
// TFindBar: the find field of the main window's toolbar, a button for the
// Find dialog, and a label that shows the result count, the progress of a
// content search or what is wrong with the typed pattern.

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

class TFindBar : public QWidget {
    Q_OBJECT

public:
    explicit TFindBar(QWidget *parent = nullptr);

    QLineEdit *Field() const { return m_Field; }
    QLabel *StatusLabel() const { return m_Status; }
    QString Text() const;
    // Puts the cursor in the field with its text selected.
    void FocusField();

    void ShowStatus(const QString &text, const QString &details = QString());
    // A fault of the pattern, in red, until the next status.
    void ShowError(const QString &message);
    bool ShowsError() const { return m_Error; }

signals:
    void textEdited(const QString &text);
    void dialogRequested();
    void escapePressed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_Field = nullptr;
    QToolButton *m_More = nullptr;
    QLabel *m_Status = nullptr;
    bool m_Error = false;
};
