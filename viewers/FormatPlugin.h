#pragma once
// TAbstractFormatPlugin: a format whose operations forward to a plug-in
// library's exports (see PluginContract.h), and LoadPlugins, which registers
// one such format for every library in the plug-in folder.

#include "viewers/AbstractFormat.h"
#include "viewers/PluginContract.h"

#include <QLibrary>
#include <QStringList>
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
    // Forwards to the optional export "RenderPreview".
    bool RenderPreview(const QString &fileName, const TFileBuffer &buffer, QWidget *parent) override;

private:
    struct TUnloader {
        void operator()(QLibrary *library) const;
    };

    std::unique_ptr<QLibrary, TUnloader> LibraryHandle;
    TPluginInternalView m_internalView = nullptr;
    TPluginCanViewFormat m_canViewFormat = nullptr;
    TPluginIconIndex m_iconIndex = nullptr;
    TPluginFormatDescription m_formatDescription = nullptr;
    TPluginRenderPreview m_renderPreview = nullptr;
};

// The plug-in folders that exist, each once, in loading order: the installed
// one (lib/vornviewer/plugins/ beside the program's bin/ folder), "plugins/"
// beside the executable, then the user's own (vornviewer/plugins/ in the
// user's data folder), so that the user's plug-ins win over the shipped ones.
QStringList PluginFoldersFor(const QString &programFolder, const QString &dataHome);

// LoadPlugins on every folder of PluginFoldersFor for the running program and
// the user's data folder; returns the number registered.
int LoadAllPlugins();

// Registers a TAbstractFormatPlugin for every library file in the folder
// ("*.so"; "*.dll" on Windows; hidden files included), in name order, so that
// of two plug-ins claiming one extension the later name wins. A file that is
// not a usable plug-in is skipped silently. Returns the number registered.
int LoadPlugins(const QString &folder);
