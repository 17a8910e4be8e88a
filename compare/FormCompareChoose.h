#pragma once
// TfrmCompareChoose: asks which two archives to compare. Each side offers the
// open archives and takes any archive file on disk, typed or browsed for.

#include <QDialog>

class QComboBox;
class QPushButton;

class TfrmCompareChoose : public QDialog {
    Q_OBJECT
public:
    // `openArchives`: offered on both sides; A starts at `first` (when given)
    // and B at the first other open archive.
    TfrmCompareChoose(const QStringList &openArchives, const QString &first, QWidget *parent = nullptr);

    QString PathA() const;
    QString PathB() const;

    QComboBox *cmbA = nullptr;
    QComboBox *cmbB = nullptr;
    QPushButton *btnOk = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QComboBox *CreateSide(const QStringList &openArchives, const QString &current);
    void Browse(QComboBox *side);
    void UpdateOk();
};
