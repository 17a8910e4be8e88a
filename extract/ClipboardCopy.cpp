#include "extract/ClipboardCopy.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

TClipboardCopy::TClipboardCopy(const QString &tempFolder) : m_folders(tempFolder, QStringLiteral("copy")) {}

TClipboardCopy::~TClipboardCopy() = default;

QString TClipboardCopy::NextFolder() const
{
    return m_folders.Next();
}

void TClipboardCopy::Copy(const QStringList &names, TDropFileSource::TWriter writer)
{
    const QString folder = m_folders.Take();
    auto *source = new TDropFileSource(DragFileList(folder, names),
                                       [folder, writer](const QString &, QEventLoop::ProcessEventsFlags events) {
                                           return QDir().mkpath(folder) && writer(folder, events);
                                       });
    source->OfferAsCopiedFiles();
    QGuiApplication::clipboard()->setMimeData(source); // the clipboard takes it
}
