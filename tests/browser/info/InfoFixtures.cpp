#include "tests/browser/info/InfoFixtures.h"

#include "browser/GenFunctions.h"
#include "tests/support/VornWriter.h"

#include <QFile>

void WriteSmallArchive(const QString &path)
{
    VornWriter writer;
    const auto folder = writer.addDir(0, "art");
    writer.addFile(folder, FileSpec{.name = "readme.txt", .data = TextBytes("hello")});
    writer.write(path.toStdString());
}

void WriteText(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("can't write fixture");
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TOpenerStandIn::TOpenerStandIn()
{
    FileHistory.SetMaxItems(8);
    FileHistory.SetIfExistsPlaceFirst(true);
}

TCollectionHandlers TOpenerStandIn::Handlers()
{
    return {
        [this](const QString &path) { return SelectIfOpen(path); },
        [this](const QString &path) { OpenArchive(path); },
        [this](const QString &path) { FileHistory.Add(path); },
    };
}

void TOpenerStandIn::OpenFile(const QString &path)
{
    if (IsCollectionPath(path))
        OpenCollection(path, Handlers());
    else if (!SelectIfOpen(path))
        OpenArchive(path);
}

bool TOpenerStandIn::SelectIfOpen(const QString &path)
{
    for (const auto &vorn : m_OpenVorns)
        if (SamePath(QString::fromStdString(vorn->FileName()), path)) {
            m_ActiveVorn = vorn.get();
            return true;
        }
    return false;
}

void TOpenerStandIn::OpenArchive(const QString &path)
{
    m_OpenVorns.push_back(std::make_unique<TVornFile>(path.toStdString()));
    ++archiveOpens;
    m_ActiveVorn = m_OpenVorns.back().get();
    FileHistory.Add(path);
}

QStringList TOpenerStandIn::OpenPaths() const
{
    QStringList paths;
    for (const auto &vorn : m_OpenVorns)
        paths.append(QString::fromStdString(vorn->FileName()));
    return paths;
}

QString TOpenerStandIn::ActivePath() const
{
    return m_ActiveVorn ? QString::fromStdString(m_ActiveVorn->FileName()) : QString();
}
