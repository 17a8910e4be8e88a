#include "settings/FormOptions.h"

#include "platform/AppFolder.h"
#include "platform/XdgClassesRoot.h"
#include "platform/GameFolder.h"
#include "platform/IniFile.h"
#include "settings/FileTypeRegistration.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString FoldersSection = QStringLiteral("Folders");
const QString OpenKey = QStringLiteral("Open");
const QString OpenLastKey = QStringLiteral("OpenLast");
const QString ExtractKey = QStringLiteral("Extract");
const QString ExtractLastKey = QStringLiteral("ExtractLast");
const QString AppTitle = QStringLiteral("VornViewer");

QString BrowseWithFileDialog(QWidget *parent, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Browse for Folder"), startFolder);
}

void ShowPlainMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, AppTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

// The standard error box: a full stop is added unless the text already ends
// in one or in a character that sorts before it.
void ShowErrorBox(QWidget *parent, const std::exception &error)
{
    QString text = QString::fromUtf8(error.what());
    if (!text.isEmpty() && text.back() > u'.')
        text += u'.';
    QMessageBox::critical(parent, AppTitle, text);
}

}  // namespace

TfrmOptions::TfrmOptions(const QString &iniFileName, QWidget *parent)
    : TfrmOptions(iniFileName, FindGameInstall(), parent)
{
}

TfrmOptions::TfrmOptions(const QString &iniFileName, const QString &gameFolder, QWidget *parent)
    : TfrmOptions(iniFileName, TGameInstall{gameFolder, QString()}, parent)
{
}

TfrmOptions::TfrmOptions(const QString &iniFileName, const TGameInstall &game, QWidget *parent)
    : QDialog(parent),
      m_IniFileName(iniFileName),
      m_GameFolder(game.Folder),
      m_GamePrefix(game.Prefix),
      m_ExePath(QCoreApplication::applicationFilePath()),
      m_FolderBrowser(BrowseWithFileDialog),
      m_MessageShower(ShowPlainMessage),
      m_ClassesRootFactory(CreateClassesRoot)
{
    CreateControls();
    LoadSettings();
    btnVM->setEnabled(!m_GameFolder.isEmpty());
}

void TfrmOptions::ShowGamePrefix(int width)
{
    lblGamePrefix->setVisible(!m_GamePrefix.isEmpty());
    if (m_GamePrefix.isEmpty())
        return;
    const QString prefix = QDir::toNativeSeparators(m_GamePrefix);
    btnVM->setToolTip(QStringLiteral("Use the game's install folder\n%1\nfound in the Wine prefix %2")
                          .arg(QDir::toNativeSeparators(m_GameFolder), prefix));
    lblGamePrefix->setToolTip(prefix);
    // Long prefixes (Steam libraries) are shortened: home as "~", then cut in
    // the middle to fit the dialog.
    QString shown = prefix;
    const QString home = QDir::toNativeSeparators(QDir::homePath() + u'/');
    if (shown.startsWith(home))
        shown = QStringLiteral("~/") + shown.mid(home.size());
    lblGamePrefix->setText(QStringLiteral("Game found in the Wine prefix\n")
                           + lblGamePrefix->fontMetrics().elidedText(shown, Qt::ElideMiddle, width));
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::CreateControls()
{
    setWindowTitle(QStringLiteral("Options"));

    auto *folders = new QGroupBox(QStringLiteral("Folders"), this);
    auto *grid = new QGridLayout(folders);
    Label1 = new QLabel(QStringLiteral("Startup Directory:"), folders);
    Edit1 = new QLineEdit(folders);
    Button1 = new QPushButton(QStringLiteral("..."), folders);
    btnVM = new QPushButton(folders);
    btnVM->setIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    btnVM->setToolTip(QStringLiteral("Use the game's install folder"));
    CheckBox1 = new QCheckBox(QStringLiteral("Use last browsed"), folders);
    Label2 = new QLabel(QStringLiteral("'Extract To' Directory"), folders);
    Edit2 = new QLineEdit(folders);
    Button2 = new QPushButton(QStringLiteral("..."), folders);
    CheckBox2 = new QCheckBox(QStringLiteral("Use last browsed"), folders);
    for (QPushButton *small : {Button1, Button2, btnVM})
        small->setFixedWidth(small->sizeHint().height() + 4);
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);

    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(Edit1, 1, 0);
    grid->addWidget(Button1, 1, 1);
    grid->addWidget(btnVM, 1, 2);
    grid->addWidget(CheckBox1, 2, 0, 1, 3);
    grid->addWidget(Label2, 3, 0, 1, 3);
    grid->addWidget(Edit2, 4, 0);
    grid->addWidget(Button2, 4, 1);
    grid->addWidget(CheckBox2, 5, 0, 1, 3);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_FileLinkIcon),
                              QStringLiteral("&Associate with vorn files"), this);
    auto *bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnOk->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    lblGamePrefix = new QLabel(this);
    lblGamePrefix->setObjectName(QStringLiteral("lblGamePrefix"));
    lblGamePrefix->setForegroundRole(QPalette::PlaceholderText);
    auto *associate = new QHBoxLayout;
    associate->addWidget(BitBtn1);
    associate->addStretch();
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 6);
    main->addWidget(folders);
    main->addLayout(associate);
    main->addStretch();
    main->addWidget(lblGamePrefix);
    main->addWidget(bevel);
    main->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { BrowseInto(Edit1); });
    connect(Button2, &QPushButton::clicked, this, [this] { BrowseInto(Edit2); });
    connect(btnVM, &QPushButton::clicked, this, &TfrmOptions::btnVMClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmOptions::BitBtn1Click);
    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOptions::btnCancelClick);

    ShowGamePrefix(308 - 2 * 6 - 4);
    setFixedSize(sizeHint().expandedTo(QSize(308, 253)));
}

QString TfrmOptions::GetStartupDir() const
{
    return Edit1->text();
}

QString TfrmOptions::GetExtractDir() const
{
    return Edit2->text();
}

void TfrmOptions::SetLastOpenDir(const QString &folder)
{
    if (CheckBox1->isChecked())
        Edit1->setText(folder);
}

void TfrmOptions::SetLastExtractDir(const QString &folder)
{
    if (CheckBox2->isChecked())
        Edit2->setText(folder);
}

void TfrmOptions::LoadSettings()
{
    const TIniFile ini(m_IniFileName);
    Edit1->setText(ini.ReadString(FoldersSection, OpenKey, GetAppFolder()));
    CheckBox1->setChecked(ini.ReadBool(FoldersSection, OpenLastKey, true));
    Edit2->setText(ini.ReadString(FoldersSection, ExtractKey, GetAppFolder()));
    CheckBox2->setChecked(ini.ReadBool(FoldersSection, ExtractLastKey, true));
}

void TfrmOptions::SaveSettings()
{
    TIniFile ini(m_IniFileName);
    ini.WriteString(FoldersSection, OpenKey, Edit1->text());
    ini.WriteBool(FoldersSection, OpenLastKey, CheckBox1->isChecked());
    ini.WriteString(FoldersSection, ExtractKey, Edit2->text());
    ini.WriteBool(FoldersSection, ExtractLastKey, CheckBox2->isChecked());
}

void TfrmOptions::btnOkClick()
{
    try {
        SaveSettings();
    } catch (const std::exception &error) {
        ShowError(error);  // the dialog stays open: nothing was lost yet
        return;
    }
    accept();
}

void TfrmOptions::btnCancelClick()
{
    LoadSettings();
    reject();
}

void TfrmOptions::btnVMClick()
{
    Edit1->setText(m_GameFolder);
}

void TfrmOptions::BrowseInto(QLineEdit *edit)
{
    const QString folder = m_FolderBrowser(this, edit->text());
    if (!folder.isEmpty())
        edit->setText(folder);
}

void TfrmOptions::BitBtn1Click()
{
    try {
        const std::unique_ptr<TClassesRoot> root = m_ClassesRootFactory();
        RegisterVornFileTypes(*root, m_ExePath);
    } catch (const std::exception &error) {
        ShowError(error);
        return;
    }
    m_MessageShower(this, QStringLiteral("Done!"));
}

void TfrmOptions::ShowError(const std::exception &error)
{
    if (m_ErrorHandler)
        m_ErrorHandler(error);
    else
        ShowErrorBox(this, error);
}
