#include "browser/FormMounted.h"

#include "browser/MountedFolders.h"
#include "browser/GenFunctions.h"
#include "browser/UiSeam.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TfrmMounted::TfrmMounted(TMountedFolders &folders, TUiSeam &ui, QWidget *parent)
    : QDialog(parent), m_Folders(folders), m_Ui(ui)
{
    setWindowTitle(QStringLiteral("Mounted"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Vorns mounted as read-only folders:"), this));
    lstMounted = new QListWidget(this);
    lstMounted->setObjectName(QStringLiteral("lstMounted"));
    layout->addWidget(lstMounted);
    auto *buttons = new QDialogButtonBox(this);
    btnOpen = buttons->addButton(QStringLiteral("Open"), QDialogButtonBox::ActionRole);
    btnUnmount = buttons->addButton(QStringLiteral("Unmount"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    layout->addWidget(buttons);
    resize(560, 260);

    connect(btnOpen, &QPushButton::clicked, this, &TfrmMounted::btnOpenClick);
    connect(btnUnmount, &QPushButton::clicked, this, &TfrmMounted::btnUnmountClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(lstMounted, &QListWidget::itemDoubleClicked, this, &TfrmMounted::btnOpenClick);
    connect(lstMounted, &QListWidget::currentRowChanged, this, &TfrmMounted::UpdateButtons);
    connect(&m_Folders, &TMountedFolders::changed, this, &TfrmMounted::Refill);
    Refill();
}

// One row per mount: the archive's name (or the game view's caption) and
// where it is shown; the tooltip holds the archive's path (or the merged
// archives) and what vorntool reported.
void TfrmMounted::Refill()
{
    lstMounted->clear();
    for (const TMountedFolder &mount : m_Folders.Mounts()) {
        auto *item = new QListWidgetItem(
            QStringLiteral("%1  \u2192  %2").arg(QFileInfo(mount.archive).fileName(), mount.mountPoint), lstMounted);
        item->setData(Qt::UserRole, mount.mountPoint);
        const QStringList lines = QStringList{mount.archive} + mount.members + QStringList{mount.warnings};
        item->setToolTip(lines.join(QLatin1Char('\n')).trimmed());
    }
    if (lstMounted->count() > 0)
        lstMounted->setCurrentRow(0);
    UpdateButtons();
}

void TfrmMounted::UpdateButtons()
{
    const bool selected = lstMounted->currentItem() != nullptr;
    btnOpen->setEnabled(selected);
    btnUnmount->setEnabled(selected);
}

QString TfrmMounted::SelectedMountPoint() const
{
    const QListWidgetItem *item = lstMounted->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void TfrmMounted::btnOpenClick()
{
    const QString mountPoint = SelectedMountPoint();
    if (!mountPoint.isEmpty())
        m_Ui.openWithDefault(QUrl::fromLocalFile(mountPoint));
}

void TfrmMounted::btnUnmountClick()
{
    const QString mountPoint = SelectedMountPoint();
    if (mountPoint.isEmpty())
        return;
    try {
        m_Folders.Unmount(mountPoint);
    } catch (const std::exception &error) {
        m_Ui.showError(this, ErrorBoxText(QString::fromStdString(error.what())));
    }
}
