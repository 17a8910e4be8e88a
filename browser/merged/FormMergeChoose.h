#pragma once
// TfrmMergeChoose: which open archives the merged game view merges. Every
// open archive is listed with its priority and a check box; the merged ones
// are checked.

#include <QDialog>

#include <vector>

class QListWidget;
class QPushButton;
class TVornFile;

class TfrmMergeChoose : public QDialog {
    Q_OBJECT
public:
    explicit TfrmMergeChoose(QWidget *parent = nullptr);

    // Lists the archives, checking those in `merged`.
    void Fill(const std::vector<const TVornFile *> &open, const std::vector<const TVornFile *> &merged);
    // The checked archives, in the listed order.
    std::vector<const TVornFile *> Chosen() const;

    QListWidget *lstArchives = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    std::vector<const TVornFile *> m_Listed;
};
