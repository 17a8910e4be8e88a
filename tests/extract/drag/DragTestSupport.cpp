#include "tests/extract/drag/DragTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

void WriteEntries(const QString &folder, const QList<TFakeEntry> &entries)
{
    QDir().mkpath(folder);
    for (const TFakeEntry &entry : entries) {
        const QString path = folder + u'/' + entry.Name;
        if (entry.IsFolder()) {
            WriteEntries(path, entry.Children);
            continue;
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            continue;
        file.write(entry.Data);
        file.close();
        if (entry.Time.isValid() && file.open(QIODevice::ReadWrite))
            file.setFileTime(entry.Time, QFileDevice::FileModificationTime);
    }
}

TDropFileSource::TWriter TRenderProbe::Callback()
{
    return [this](const QString &folder, QEventLoop::ProcessEventsFlags) {
        ++Calls;
        Folders << folder;
        WriteEntries(folder, Entries);
        return true;
    };
}

TDragSourceWidget::TDragSourceWidget(TRenderProbe &probe, QStringList selectedNames)
    : m_probe(probe), m_selected(std::move(selectedNames))
{
}

void TDragSourceWidget::mousePressEvent(QMouseEvent *event)
{
    m_tracker.MouseDown(event->position().toPoint());
}

void TDragSourceWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_tracker.ShouldStartDrag(event->buttons(), event->position().toPoint(),
                                   !m_selected.isEmpty()))
        return;
    auto dfs = std::make_unique<TDropFileSource>(DragFileList(m_probe.TempFolder, m_selected),
                                                 m_probe.Callback());
    Result = Execute(this, std::move(dfs));
}

TFolderDropTarget::TFolderDropTarget(QString folder) : Folder(std::move(folder))
{
    setAcceptDrops(true);
}

void TFolderDropTarget::NoteEarlyFiles(const QMimeData *data)
{
    // Reading the URLs while the pointer only passes over must not write.
    for (const QUrl &url : data->urls()) {
        if (QFileInfo::exists(url.toLocalFile()))
            FilesExistedBeforeDrop = true;
    }
}

void TFolderDropTarget::dragEnterEvent(QDragEnterEvent *event)
{
    ++Enters;
    NoteEarlyFiles(event->mimeData());
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFolderDropTarget::dragMoveEvent(QDragMoveEvent *event)
{
    NoteEarlyFiles(event->mimeData());
    event->acceptProposedAction();
}

void TFolderDropTarget::dropEvent(QDropEvent *event)
{
    ++Drops;
    for (const QUrl &url : event->mimeData()->urls()) {
        const QFileInfo source(url.toLocalFile());
        if (QDir().rename(source.filePath(), Folder + u'/' + source.fileName()))
            Moved.append(source.fileName());
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

QStringList TreeOf(const QString &folder)
{
    QStringList tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext())
        tree.append(base.relativeFilePath(it.next()));
    tree.sort();
    return tree;
}
