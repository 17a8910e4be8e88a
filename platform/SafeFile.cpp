#include "platform/SafeFile.h"

#include "archive/Exceptions.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

void WriteFileAtomically(const QString &fileName, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Exception(QStringLiteral("Unable to write to %1").arg(fileName).toStdString());
}
