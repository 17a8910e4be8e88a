#pragma once
// The about box: program name and version, a thanks list and two links.
// Created for each showing and destroyed when it closes.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

// "VornViewer version 1.02" for 1.0.2: minor and release stand side by side.
QString FormatAppVersion(int major, int minor, int release);

class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget *owner = nullptr);

    // Creates the box, shows it modally and destroys it.
    static void Execute(QWidget *owner);

    QScrollArea *ScrollBox2 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *lblAppName = nullptr;
    QLabel *Label3 = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label2 = nullptr;  // "Homepage", the address is its tool tip
    QLabel *Label1 = nullptr;  // "Contact", the address is its tool tip
    QPushButton *Button1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    QLabel *CreateLink(const QString &text, const QString &address);
    void Label2Click(QLabel *link);
};
