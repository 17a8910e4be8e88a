#include "extract/ProcessFolders.h"

#include <QCoreApplication>
#include <QDir>

TProcessFolders::TProcessFolders(const QString &tempFolder, const QString &kind)
    : m_tempFolder(tempFolder),
      m_prefix(QStringLiteral("%1-%2-").arg(kind).arg(QCoreApplication::applicationPid()))
{
}

TProcessFolders::~TProcessFolders()
{
    QDir temp(m_tempFolder);
    for (const QString &name : temp.entryList({m_prefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot))
        QDir(temp.filePath(name)).removeRecursively();
}

QString TProcessFolders::Next() const
{
    return QDir(m_tempFolder).filePath(m_prefix + QString::number(m_count + 1));
}

QString TProcessFolders::Take()
{
    const QString folder = Next();
    ++m_count;
    return folder;
}
