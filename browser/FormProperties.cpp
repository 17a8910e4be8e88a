#include "browser/FormProperties.h"

#include "archive/vmFunctions.h"
#include "archive/vmVornFile.h"
#include "viewers/ViewHandler.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Archive names and paths are Windows-1252.
QString AnsiText(const std::string &text)
{
    return QString::fromStdString(AnsiToUtf8(text));
}

} // namespace

TfrmProperties::TfrmProperties(QWidget *parent)
    : QDialog(parent),
      vleProperties(new QTableWidget(0, 2, this)),
      btnClose(new QPushButton(QStringLiteral("&Close"), this))
{
    setObjectName(QStringLiteral("frmProperties"));
    setWindowTitle(QStringLiteral("Properties"));
    vleProperties->setObjectName(QStringLiteral("vleProperties"));
    vleProperties->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value")});
    vleProperties->verticalHeader()->hide();
    vleProperties->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    vleProperties->setColumnWidth(0, 150);
    vleProperties->setColumnWidth(1, 163);
    vleProperties->setEditTriggers(QAbstractItemView::NoEditTriggers);

    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setFixedSize(75, 25);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(vleProperties);
    layout->addLayout(buttons);
    setFixedSize(319, 325);
}

QString TfrmProperties::RatioText(uint32_t size, uint32_t compressedSize, uint16_t format)
{
    if (size == 0 || format == DATAFORMAT_RAW)
        return QStringLiteral("None");
    // nearbyint rounds in the default mode: to nearest, halves to even.
    const double ratio = std::nearbyint(100.0 - double(compressedSize) / double(size) * 100.0);
    return QString::number(qint64(ratio)) + u'%';
}

void TfrmProperties::AddRow(const QString &key, const QString &value)
{
    const int row = vleProperties->rowCount();
    vleProperties->insertRow(row);
    vleProperties->setItem(row, 0, new QTableWidgetItem(key));
    vleProperties->setItem(row, 1, new QTableWidgetItem(value));
}

void TfrmProperties::Fill(const TVornFile &vorn, TEntryOffset entry)
{
    vleProperties->setRowCount(0);
    const QString name = AnsiText(vorn.GetName(entry));
    AddRow(QStringLiteral("Name"), name);
    if (vorn.IsDirectory(entry)) {
        AddRow(QStringLiteral("Type"), QStringLiteral("Directory"));
        AddRow(QStringLiteral("Path"), AnsiText(vorn.GetPath(entry)));
        return;
    }
    const uint32_t size = vorn.GetSize(entry);
    const uint32_t compressedSize = vorn.GetCompressedSize(entry);
    const uint16_t format = vorn.GetFormat(entry);
    AddRow(QStringLiteral("Type"), GetFormatDescription(name));
    AddRow(QStringLiteral("Path"), AnsiText(vorn.GetPath(entry)));
    AddRow(QStringLiteral("Size"), QString::number(size));
    AddRow(QStringLiteral("Compression"), QString::fromStdString(FormatToStr(format)));
    AddRow(QStringLiteral("Compression Ratio"), RatioText(size, compressedSize, format));
    AddRow(QStringLiteral("Compressed size"), QString::number(compressedSize));
}

void TfrmProperties::ShowProperties(const TVornFile &vorn, TEntryOffset entry)
{
    Fill(vorn, entry);
    exec(); // a dialog with a parent opens centred over it

}
