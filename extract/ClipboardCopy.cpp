#include "extract/ClipboardCopy.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

TClipboardCopy::TClipboardCopy(const QString &tempFolder)
    : m_tempFolder(tempFolder),
      m_prefix(QStringLiteral("copy-%1-").arg(QCoreApplication::applicationPid()))
{
}

TClipboardCopy::~TClipboardCopy()
{
    QDir temp(m_tempFolder);
    for (const QString &name : temp.entryList({m_prefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot))
        QDir(temp.filePath(name)).removeRecursively();
}

QString TClipboardCopy::NextFolder() const
{
    return QDir(m_tempFolder).filePath(m_prefix + QString::number(m_count + 1));
}

void TClipboardCopy::Copy(const QStringList &names, TDropFileSource::TWriter writer)
{
    const QString folder = NextFolder();
    ++m_count;
    auto *source = new TDropFileSource(DragFileList(folder, names),
                                       [folder, writer](const QString &, QEventLoop::ProcessEventsFlags events) {
                                           return QDir().mkpath(folder) && writer(folder, events);
                                       });
    source->OfferAsCopiedFiles();
    QGuiApplication::clipboard()->setMimeData(source); // the clipboard takes it
}
