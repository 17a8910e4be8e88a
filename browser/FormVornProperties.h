#pragma once
// TfrmVornProperties: the "Vorn Info" dialog. Shows the header texts and the
// description of an archive on "&General" and the header fields as key/value
// rows on "&Advanced". A new dialog is made for every showing.

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QWidget;
class TVornFile;

class TfrmVornProperties : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog and fills it from the archive.
    explicit TfrmVornProperties(const TVornFile &vorn, QWidget *parent = nullptr);

    // Shows the dialog for the archive modally and destroys it afterwards.
    static void ShowVornInfo(const TVornFile &vorn, QWidget *parent = nullptr);

    QTabWidget *pcTabs;
    QWidget *TabSheet1;
    QWidget *TabSheet2;
    QLineEdit *LabeledEdit1; // "Title"
    QLineEdit *LabeledEdit2; // "Copyright"
    QLineEdit *LabeledEdit3; // "Author"
    QLineEdit *LabeledEdit4; // "Build Info"
    QPlainTextEdit *Memo1;   // description
    QTableWidget *ValueListEditor1;
    QPushButton *btnClose;

private:
    void BuildGeneralPage();
    void BuildAdvancedPage();
    void Fill(const TVornFile &vorn);
};
