#include "viewers/FormatPlugin.h"

#include "archive/Exceptions.h"
#include "viewers/AnsiCodePage.h"
#include "viewers/FormatList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <limits>

namespace {

bool LowByteSet(int32_t result)
{
    return (static_cast<uint32_t>(result) & 0xFF) != 0;
}

template <typename Function>
Function Resolve(QLibrary &library, const char *name)
{
    return reinterpret_cast<Function>(library.resolve(name));
}

QString LibraryPattern()
{
#ifdef Q_OS_WIN
    return QStringLiteral("*.dll");
#else
    return QStringLiteral("*.so");
#endif
}

} // namespace

void TAbstractFormatPlugin::TUnloader::operator()(QLibrary *library) const
{
    if (library->isLoaded())
        library->unload();
    delete library;
}

TAbstractFormatPlugin::TAbstractFormatPlugin(const QString &libraryPath)
    : LibraryHandle(new QLibrary(libraryPath))
{
    if (!LibraryHandle->load())
        throw Exception("Could not load plugin " + libraryPath.toStdString());
    m_internalView = Resolve<TPluginInternalView>(*LibraryHandle, "InternalView");
    if (!m_internalView)
        throw EAbort();
    m_canViewFormat = Resolve<TPluginCanViewFormat>(*LibraryHandle, "CanViewFormat");
    m_iconIndex = Resolve<TPluginIconIndex>(*LibraryHandle, "IconIndex");
    m_formatDescription = Resolve<TPluginFormatDescription>(*LibraryHandle, "FormatDescription");
    m_renderPreview = Resolve<TPluginRenderPreview>(*LibraryHandle, "RenderPreview");
}

TDeclinedBuffer TAbstractFormatPlugin::InternalView(const QString &fileName, TFileBuffer buffer,
                                                    QWidget *)
{
    // The contract counts bytes in a signed 32-bit number.
    if (buffer.size() > uint32_t(std::numeric_limits<int32_t>::max()))
        return buffer;
    static const uint8_t noBytes = 0;
    const void *data = buffer.data() ? buffer.data() : &noBytes;
    const QByteArray name = EncodeWindows1252(fileName);
    if (!LowByteSet(m_internalView(name.constData(), data, int32_t(buffer.size()))))
        return buffer;
    // The plug-in shows the file and may go on reading the bytes: they stay
    // allocated, unowned, until the program ends.
    buffer.release();
    return std::nullopt;
}

bool TAbstractFormatPlugin::CanViewFormat(const QString &extension)
{
    if (!m_canViewFormat)
        return false;
    return LowByteSet(m_canViewFormat(EncodeWindows1252(extension).constData()));
}

int TAbstractFormatPlugin::IconIndex(const QString &extension)
{
    if (!m_iconIndex)
        return DefaultIconIndex;
    return m_iconIndex(EncodeWindows1252(extension).constData());
}

QString TAbstractFormatPlugin::FormatDescription(const QString &extension)
{
    if (!m_formatDescription)
        return QStringLiteral("Unknown");
    const char *description = m_formatDescription(EncodeWindows1252(extension).constData());
    return description ? DecodeWindows1252(QByteArrayView(description)) : QString();
}

bool TAbstractFormatPlugin::RenderPreview(const QString &fileName, const TFileBuffer &buffer, QWidget *parent)
{
    if (!m_renderPreview || buffer.size() > uint32_t(std::numeric_limits<int32_t>::max()))
        return false;
    static const uint8_t noBytes = 0;
    const void *data = buffer.data() ? buffer.data() : &noBytes;
    const QByteArray name = EncodeWindows1252(fileName);
    return LowByteSet(m_renderPreview(name.constData(), data, int32_t(buffer.size()), parent));
}

QStringList PluginFoldersFor(const QString &programFolder, const QString &dataHome)
{
    const QStringList candidates{
        QDir(programFolder).filePath(QStringLiteral(VV_INSTALLED_PLUGIN_FOLDER)),
        QDir(programFolder).filePath(QStringLiteral("plugins")),
        QDir(dataHome).filePath(QStringLiteral("vornviewer/plugins")),
    };
    QStringList folders;
    QStringList seen;
    for (const QString &folder : candidates) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen << canonical;
        folders << QDir::cleanPath(folder) + u'/';
    }
    return folders;
}

int LoadAllPlugins()
{
    int loaded = 0;
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    for (const QString &folder : PluginFoldersFor(QCoreApplication::applicationDirPath(), dataHome))
        loaded += LoadPlugins(folder);
    return loaded;
}

int LoadPlugins(const QString &folder)
{
    const QDir dir(folder);
    QStringList names = dir.entryList({LibraryPattern()},
                                      QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    std::sort(names.begin(), names.end());
    int loaded = 0;
    for (const QString &name : names) {
        try {
            RegisterFormat(std::make_unique<TAbstractFormatPlugin>(dir.filePath(name)));
            ++loaded;
        } catch (...) {
            // Not a usable plug-in: skipped without a word.
        }
    }
    return loaded;
}
