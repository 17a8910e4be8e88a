#pragma once
// TfrmProperties: the "Properties" dialog of one archive entry (a folder or a
// file) as key/value rows. Created once at start-up and reused.

#include "archive/vmVornFileDef.h"

#include <QDialog>
#include <QString>

class QPushButton;
class QTableWidget;
class TVornFile;

class TfrmProperties : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProperties(QWidget *parent = nullptr);

    // Replaces the rows with those of the entry.
    void Fill(const TVornFile &vorn, TEntryOffset entry);
    // Fills the dialog for the entry and shows it modally.
    void ShowProperties(const TVornFile &vorn, TEntryOffset entry);

    // "Compression Ratio" of a file: "None" for an empty or a raw file, else
    // the saved share in whole percent (halves to the even neighbour), "%"
    // appended; negative when the file grew.
    static QString RatioText(uint32_t size, uint32_t compressedSize, uint16_t format);

    QTableWidget *vleProperties;
    QPushButton *btnClose;

private:
    void AddRow(const QString &key, const QString &value);
};
