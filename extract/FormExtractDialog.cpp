#include "extract/FormExtractDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

TfrmExtractDialog::TfrmExtractDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Extract..."));
    CreateControls();
    setFixedSize(483, 295);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

void TfrmExtractDialog::CreateShellTree()
{
    ShellModel = new QFileSystemModel(this);
    ShellModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    ShellModel->setReadOnly(true);
    ShellModel->setRootPath(QDir::rootPath());
    ShellTree = new QTreeView(this);
    ShellTree->setModel(ShellModel);
    ShellTree->setRootIsDecorated(false);
    ShellTree->setHeaderHidden(true);
    for (int column = 1; column < ShellModel->columnCount(); ++column)
        ShellTree->hideColumn(column);
    ShellTree->setFixedWidth(225);
    connect(ShellTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { ShellTreeChange(); });
}

void TfrmExtractDialog::CreateControls()
{
    CreateShellTree();
    cbxPath = new QComboBox(this);
    cbxPath->setEditable(true);
    cbxPath->setInsertPolicy(QComboBox::NoInsert); // its list stays empty

    GroupBox1 = new QGroupBox(QStringLiteral("Files to extract"), this);
    rbnExtractAll = new QRadioButton(QStringLiteral("All"), GroupBox1);
    rbnCurrentDir = new QRadioButton(QStringLiteral("Current Dir (Recursive)"), GroupBox1);
    rbnExtractSelected = new QRadioButton(QStringLiteral("Selected"), GroupBox1);
    rbnExtractAll->setChecked(true);
    auto *radios = new QVBoxLayout(GroupBox1);
    radios->addWidget(rbnExtractAll);
    radios->addWidget(rbnCurrentDir);
    radios->addWidget(rbnExtractSelected);

    chkUseFolderNames = new QCheckBox(QStringLiteral("Use folder names"), this);
    chkUseFolderNames->setChecked(true);
    chkConvertToPng = new QCheckBox(QStringLiteral("Convert images to PNG"), this);
    chkConvertToPng->setToolTip(QStringLiteral(
        "Bitmaps and textures are written as name.png instead of the original (grass.raw becomes "
        "grass.raw.png); existing files are asked about as usual. An image that does not decode is "
        "written unchanged."));
    auto *pngNote = new QLabel(QStringLiteral("(x.raw.png instead of x.raw)"), this);
    pngNote->setIndent(20);

    Button1 = new QPushButton(QStringLiteral("&Extract"), this);
    Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] {
        Button1Click();
        accept();
    });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto *right = new QVBoxLayout;
    right->addWidget(cbxPath);
    right->addWidget(GroupBox1);
    right->addWidget(chkUseFolderNames);
    right->addWidget(chkConvertToPng);
    right->addWidget(pngNote);
    right->addStretch();
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(ShellTree);
    layout->addLayout(right, 1);
}

void TfrmExtractDialog::SelectTreeFolder(const QString &folder)
{
    const QModelIndex index = ShellModel->index(folder);
    if (!index.isValid())
        return;
    ShellTree->setCurrentIndex(index);
    ShellTree->scrollTo(index);
}

void TfrmExtractDialog::SetFolder(const QString &folder)
{
    m_RequestedFolder = folder;
    // The tree shows the nearest folder that exists.
    QString existing = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(existing).isDir() && existing != QDir::rootPath())
        existing = QFileInfo(existing).absolutePath();
    SelectTreeFolder(existing);
}

QString TfrmExtractDialog::TreePath() const
{
    const QModelIndex current = ShellTree->currentIndex();
    return current.isValid() ? ShellModel->filePath(current) : QString();
}

TFileSelection TfrmExtractDialog::Preselection(bool hasSelectedItems, bool showsRoot)
{
    if (hasSelectedItems)
        return esSelected;
    return showsRoot ? esAll : esCurrentDir;
}

void TfrmExtractDialog::SetFileSelection(TFileSelection selection)
{
    QRadioButton *button = selection == esSelected     ? rbnExtractSelected
                           : selection == esCurrentDir ? rbnCurrentDir
                                                       : rbnExtractAll;
    button->setChecked(true);
}

void TfrmExtractDialog::showEvent(QShowEvent *event)
{
    m_Path.clear();
    if (TreePath().isEmpty())
        SelectTreeFolder(QDir::rootPath());
    if (!m_RequestedFolder.isEmpty())
        cbxPath->setEditText(m_RequestedFolder);
    else
        cbxPath->setEditText(TreePath());
    m_RequestedFolder.clear();
    QDialog::showEvent(event);
}

void TfrmExtractDialog::ShellTreeChange()
{
    const QString path = TreePath();
    if (!path.isEmpty())
        cbxPath->setEditText(path);
}

void TfrmExtractDialog::Button1Click()
{
    m_Path = cbxPath->currentText();
    m_Options.FolderMode = chkUseFolderNames->isChecked() ? fnFullPath : fnNone;
    m_Options.OverwriteMode = owAsk;
    m_ConvertImagesToPng = chkConvertToPng->isChecked();
    m_Options.FileSelection = rbnExtractSelected->isChecked() ? esSelected
                              : rbnCurrentDir->isChecked()    ? esCurrentDir
                                                              : esAll;
}

bool TfrmExtractDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1Click();
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
