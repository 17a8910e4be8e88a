#pragma once
// TAbstractFormatPlugin: a format whose operations forward to a plug-in
// library's exports (see PluginContract.h), and LoadPlugins, which registers
// one such format for every library in the plug-in folder.

#include "viewers/AbstractFormat.h"
#include "viewers/PluginContract.h"

#include <QLibrary>
#include <memory>

class TAbstractFormatPlugin : public TAbstractFormat {
public:
    // Loads the library. Raises Exception "Could not load plugin <path>" when
    // it can't be loaded and EAbort when it lacks "InternalView"; the library
    // is unloaded again in both cases.
    explicit TAbstractFormatPlugin(const QString &libraryPath);

    TDeclinedBuffer InternalView(const QString &fileName, TFileBuffer buffer,
                                 QWidget *mainWindow) override;
    bool CanViewFormat(const QString &extension) override;
    int IconIndex(const QString &extension) override;
    QString FormatDescription(const QString &extension) override;

private:
    struct TUnloader {
        void operator()(QLibrary *library) const;
    };

    std::unique_ptr<QLibrary, TUnloader> LibraryHandle;
    TPluginInternalView m_internalView = nullptr;
    TPluginCanViewFormat m_canViewFormat = nullptr;
    TPluginIconIndex m_iconIndex = nullptr;
    TPluginFormatDescription m_formatDescription = nullptr;
};

// The plug-in folder: "plugins/" beside the executable.
QString PluginFolder();

// Registers a TAbstractFormatPlugin for every library file in the folder
// ("*.so"; "*.dll" on Windows; hidden files included), in name order, so that
// of two plug-ins claiming one extension the later name wins. A file that is
// not a usable plug-in is skipped silently. Returns the number registered.
int LoadPlugins(const QString &folder);
