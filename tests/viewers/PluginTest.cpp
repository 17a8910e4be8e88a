#include "BufferTracker.h"
#include "ViewerTestSupport.h"
#include "archive/Exceptions.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/FormHexViewer.h"
#include "viewers/FormTextViewer.h"
#include "viewers/FormatList.h"
#include "viewers/FormatPlugin.h"
#include "viewers/ImageFormat.h"
#include "viewers/ImageFormatForm.h"
#include "viewers/ViewHandler.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLibrary>
#include <QTemporaryDir>
#include <cstring>

#ifdef Q_OS_LINUX
#include <dlfcn.h>
#endif

namespace {

// Builds a plug-in folder from the test libraries under chosen names, so that
// the name order (the load order) is under the test's control.
class Plugins : public TTrackedViewTest {
protected:
    QString Install(const char *library, const QString &name)
    {
        const QString target = folder.filePath(name);
        EXPECT_TRUE(QFile::copy(QString::fromUtf8(library), target)) << library;
        return target;
    }

    void InstallJunk(const QString &name)
    {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("this is not a library");
    }

    int Load() { return LoadPlugins(folder.path()); }

    template <typename Result>
    Result Ask(const QString &path, const char *function)
    {
        QLibrary library(path);
        auto call = reinterpret_cast<Result (*)()>(library.resolve(function));
        EXPECT_TRUE(call) << function;
        // No unload(): the library is the registry's, and QLibrary would drop
        // the registry's reference.
        return call ? call() : Result();
    }

    int ViewCount(const QString &path) { return Ask<int32_t>(path, "TestViewCount"); }

    QTemporaryDir folder;
};

QByteArray BitmapFile()
{
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    picture.save(&device, "BMP");
    return bytes;
}

TEST_F(Plugins, ViewOnlyPluginNeverClaims)
{
    const QString path = Install(VVTEST_PLUGIN_VIEWONLY, QStringLiteral("viewonly.so"));
    EXPECT_EQ(Load(), 1);
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.tst")), QStringLiteral("TST File"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("x.tst")), 4);
    EXPECT_EQ(View("some text", QStringLiteral("x.tst")), TViewer::Text);
    EXPECT_EQ(ViewCount(path), 0);
}

TEST_F(Plugins, LaterOfTwoClaimingPluginsWinsAndKeepsTheBuffer)
{
    const QString first = Install(VVTEST_PLUGIN_FIRST, QStringLiteral("a_first.so"));
    const QString second = Install(VVTEST_PLUGIN_SECOND, QStringLiteral("b_second.so"));
    EXPECT_EQ(Load(), 2);
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.tst")), QStringLiteral("Second"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("x.tst")), 12);
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.TST")), QStringLiteral("TST File"));

    const QByteArray bytes("\x42\x00\x07payload", 10);
    EXPECT_EQ(View(bytes, QStringLiteral(u"café.tst")), TViewer::Format);
    EXPECT_EQ(OpenViewerCount(), 0);
    EXPECT_EQ(ViewCount(second), 1);
    EXPECT_EQ(ViewCount(first), 0);
    // The name arrives as 8-bit Windows-1252, the size and the bytes intact.
    EXPECT_STREQ(Ask<const char *>(second, "TestLastFileName"), "caf\xE9.tst");
    EXPECT_EQ(Ask<int32_t>(second, "TestLastSize"), 10);
    // The program never frees what a plug-in has shown; it may still read it.
    EXPECT_EQ(Frees(), 0);
    const auto *kept = Ask<const unsigned char *>(second, "TestLastData");
    ASSERT_EQ(static_cast<const void *>(kept), block);
    EXPECT_EQ(std::memcmp(kept, bytes.constData(), size_t(bytes.size())), 0);
}

TEST_F(Plugins, ExtensionsArePassedAsWrittenAndNeverNull)
{
    const QString path = Install(VVTEST_PLUGIN_FIRST, QStringLiteral("first.so"));
    Load();
    GetFormatDescription(QStringLiteral("a.b.TsT"));
    EXPECT_STREQ(Ask<const char *>(path, "TestLastExtension"), ".TsT");
    GetFormatDescription(QStringLiteral("README"));
    EXPECT_STREQ(Ask<const char *>(path, "TestLastExtension"), "");
}

TEST_F(Plugins, DecliningPluginHandsTheFileToTheTextOrHexViewer)
{
    const QString path = Install(VVTEST_PLUGIN_DECLINE, QStringLiteral("decline.so"));
    Load();
    EXPECT_EQ(View("just text", QStringLiteral("a.dec")), TViewer::Text);
    EXPECT_EQ(Frees(), 1);
    EXPECT_EQ(View(QByteArray("\0\1\2", 3), QStringLiteral("b.dec")), TViewer::Hex);
    EXPECT_EQ(ViewCount(path), 2);
    EXPECT_EQ(OpenWindows<TfrmViewerText>().size(), 1);
    EXPECT_EQ(OpenWindows<TfrmViewerHex>().size(), 1);
}

TEST_F(Plugins, UnusableFilesAreSkippedAndLaterOnesStillLoad)
{
    InstallJunk(QStringLiteral("x.so"));
    Install(VVTEST_PLUGIN_NOVIEW, QStringLiteral("x_noview.so"));
    const QString path = Install(VVTEST_PLUGIN_SECOND, QStringLiteral("y_second.so"));
    InstallJunk(QStringLiteral("z.txt"));
    EXPECT_EQ(Load(), 1);
    EXPECT_EQ(FormatList().Count(), 1u);
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.tst")), QStringLiteral("Second"));
    EXPECT_EQ(LoadPlugins(folder.filePath(QStringLiteral("missing"))), 0);
}

TEST(PluginFolders, InstalledThenBesideTheProgramThenTheUsers)
{
    QTemporaryDir root;
    QDir dir(root.path());
    for (const char *folder : {"usr/bin", "usr/lib/vornviewer/plugins", "data/vornviewer/plugins"})
        ASSERT_TRUE(dir.mkpath(QString::fromUtf8(folder)));
    const QString bin = dir.filePath(QStringLiteral("usr/bin"));
    const QString installed = dir.filePath(QStringLiteral("usr/lib/vornviewer/plugins/"));
    const QString users = dir.filePath(QStringLiteral("data/vornviewer/plugins/"));
    EXPECT_EQ(PluginFoldersFor(bin, dir.filePath(QStringLiteral("data"))), (QStringList{installed, users}));

    ASSERT_TRUE(dir.mkpath(QStringLiteral("usr/bin/plugins")));
    EXPECT_EQ(PluginFoldersFor(bin, dir.filePath(QStringLiteral("data"))),
              (QStringList{installed, bin + QStringLiteral("/plugins/"), users}));
    // The user's data folder given as the installed folder's parent: listed once.
    EXPECT_EQ(PluginFoldersFor(bin, dir.filePath(QStringLiteral("usr/lib"))),
              (QStringList{installed, bin + QStringLiteral("/plugins/")}));
}

TEST_F(Plugins, ConstructorReportsWhyALibraryIsRefused)
{
    InstallJunk(QStringLiteral("x.so"));
    const QString junk = folder.filePath(QStringLiteral("x.so"));
    try {
        TAbstractFormatPlugin plugin(junk);
        ADD_FAILURE() << "junk loaded";
    } catch (const EAbort &) {
        ADD_FAILURE() << "junk refused silently";
    } catch (const Exception &error) {
        EXPECT_EQ(QString::fromStdString(error.what()), QStringLiteral("Could not load plugin ") + junk);
    }
    const QString noView = Install(VVTEST_PLUGIN_NOVIEW, QStringLiteral("noview.so"));
    EXPECT_THROW(TAbstractFormatPlugin plugin(noView), EAbort);
}

TEST_F(Plugins, BitmapPluginOverridesTheBuiltInFormat)
{
    RegisterBuiltInFormats();
    const QString path = Install(VVTEST_PLUGIN_BMP, QStringLiteral("bmp.so"));
    Load();
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.bmp")), QStringLiteral("Plug-in Bitmap"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("x.bmp")), 13);
    EXPECT_EQ(View(BitmapFile(), QStringLiteral("x.bmp")), TViewer::Format);
    EXPECT_TRUE(OpenWindows<TForm1>().isEmpty());
    EXPECT_EQ(ViewCount(path), 1);
    // The texture format is still the built-in one.
    EXPECT_EQ(GetFormatDescription(QStringLiteral("x.raw")), QStringLiteral("Texture"));
}

#ifdef Q_OS_LINUX
bool IsLoaded(const QString &path)
{
    void *handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

TEST_F(Plugins, LibrariesStayLoadedUntilTheRegistryIsCleared)
{
    const QString path = Install(VVTEST_PLUGIN_FIRST, QStringLiteral("first.so"));
    const QString noView = Install(VVTEST_PLUGIN_NOVIEW, QStringLiteral("noview.so"));
    Load();
    EXPECT_TRUE(IsLoaded(path));
    EXPECT_FALSE(IsLoaded(noView));
    FormatList().Clear();
    EXPECT_FALSE(IsLoaded(path));
}
#endif

} // namespace
