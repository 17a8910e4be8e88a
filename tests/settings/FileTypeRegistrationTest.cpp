#include "settings/FileTypeRegistration.h"

#include "archive/Exceptions.h"
#include "platform/IniFile.h"
#include "platform/XdgClassesRoot.h"
#include "settings/FormOptions.h"
#include "tests/platform/QStringPrinter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray ExpectedMimePackage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-vorn-res\">\n    <comment>Velmire Resource</comment>\n    <glob pattern=\"*.vmres\"/>\n  </mime-type>\n"
    "  <mime-type type=\"application/x-vorn-map\">\n    <comment>Velmire Map</comment>\n    <glob pattern=\"*.vmmap\"/>\n  </mime-type>\n"
    "  <mime-type type=\"application/x-vorn-save\">\n    <comment>Velmire Save</comment>\n    <glob pattern=\"*.vmsave\"/>\n  </mime-type>\n"
    "  <mime-type type=\"application/x-vorn-asave\">\n    <comment>Velmire Autosave</comment>\n    <glob pattern=\"*.vmasave\"/>\n  </mime-type>\n"
    "  <mime-type type=\"application/x-vorn-qsave\">\n    <comment>Velmire Quicksave</comment>\n    <glob pattern=\"*.vmqsave\"/>\n  </mime-type>\n"
    "  <mime-type type=\"application/x-vorn-party\">\n    <comment>Velmire Party</comment>\n    <glob pattern=\"*.vmparty\"/>\n  </mime-type>\n"
    "  <mime-type type=\"application/x-vorn-vvc\">\n    <comment>VornViewer Collection</comment>\n    <glob pattern=\"*.vvc\"/>\n  </mime-type>\n"
    "</mime-info>\n";

QByteArray ExpectedDesktopEntry(const QByteArray &exec)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=VornViewer\n"
           "Comment=Browse and unpack Velmire archives\n"
           "Exec=" + exec + "\n"
           "Terminal=false\n"
           "Categories=Utility;Archiving;\n"
           "MimeType=application/x-vorn-res;application/x-vorn-map;application/x-vorn-save;"
           "application/x-vorn-asave;application/x-vorn-qsave;application/x-vorn-party;application/x-vorn-vvc;\n";
}

// Records the key writes and fails at a chosen one.
class TRecordingRoot : public TClassesRoot {
public:
    void WriteDefaultValue(const QString &keyPath, const QString &value) override
    {
        if (writes.size() == failAt)
            throw Exception("Failed to create key " + keyPath.toStdString());
        writes << keyPath + u'=' + value;
    }
    void NotifyAssociationsChanged() override { writes << u"<notify>"_qs; }

    QStringList writes;
    qsizetype failAt = -1;
};

class FileTypeRegistrationTest : public ::testing::Test {
protected:
    // The options dialog wired to a temporary data folder.
    std::unique_ptr<TfrmOptions> makeOptions(const QString &exePath, TXdgClassesRoot::TCommandRunner runner)
    {
        auto options = std::make_unique<TfrmOptions>(m_Dir.filePath(u"VornViewer.ini"_qs), QString());
        options->SetExePath(exePath);
        options->SetClassesRootFactory([this, runner] {
            return std::make_unique<TXdgClassesRoot>(m_DataHome, runner);
        });
        options->SetMessageShower([this](QWidget *, const QString &text) { m_Messages << text; });
        return options;
    }

    QTemporaryDir m_Dir;
    QString m_DataHome = m_Dir.filePath(u"data"_qs);
    QStringList m_Messages;
};

TEST_F(FileTypeRegistrationTest, WritesTheKeysOfEveryRowInOrderAndNotifiesOnceAtTheEnd)
{
    TRecordingRoot root;
    RegisterVornFileTypes(root, u"/opt/vv/VornViewer"_qs);
    ASSERT_EQ(root.writes.size(), 7 * 5 + 1);
    EXPECT_EQ(root.writes.mid(0, 5), (QStringList{
        u".vmres=vorn_res"_qs,
        u"vorn_res=Velmire Resource"_qs,
        u"vorn_res\\DefaultIcon=/opt/vv/VornViewer,0"_qs,
        u"vorn_res\\Shell\\Open=&Open"_qs,
        u"vorn_res\\Shell\\Open\\Command=\"/opt/vv/VornViewer\" \"%1\""_qs}));
    EXPECT_EQ(root.writes[30], u".vvc=vorn_vvc"_qs);
    EXPECT_EQ(root.writes.last(), u"<notify>"_qs);
    EXPECT_EQ(root.writes.count(u"<notify>"_qs), 1);
}

TEST_F(FileTypeRegistrationTest, FailureStopsTheCommandWithoutDoneOrNotification)
{
    auto options = makeOptions(u"/opt/vv/VornViewer"_qs, {});
    options->SetClassesRootFactory([] {
        auto root = std::make_unique<TRecordingRoot>();
        root->failAt = 12;
        return root;
    });
    QStringList errors;
    options->SetErrorHandler([&](const std::exception &error) { errors << QString::fromUtf8(error.what()); });
    options->BitBtn1Click();
    EXPECT_EQ(errors, QStringList{u"Failed to create key vorn_save\\DefaultIcon"_qs});
    EXPECT_TRUE(m_Messages.isEmpty());
}

TEST_F(FileTypeRegistrationTest, AssociateButtonWritesDesktopFilesIdempotently)
{
    QStringList commands;
    auto options = makeOptions(u"/home/user/My Games/Vorn Viewer/VornViewer"_qs,
                               [&](const QString &program, const QStringList &) { commands << program; });
    QTest::mouseClick(options->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(m_Messages, QStringList{u"Done!"_qs});
    EXPECT_EQ(commands, (QStringList{u"update-mime-database"_qs, u"update-desktop-database"_qs}));

    TXdgClassesRoot root(m_DataHome);
    const QByteArray mime = ReadAll(root.MimePackageFileName());
    const QByteArray desktop = ReadAll(root.DesktopFileName());
    const QByteArray keys = ReadAll(root.KeysFileName());
    EXPECT_EQ(mime, ExpectedMimePackage);
    EXPECT_EQ(desktop, ExpectedDesktopEntry("\"/home/user/My Games/Vorn Viewer/VornViewer\" %F"));
    EXPECT_EQ(TIniFile(root.KeysFileName()).ReadString(u"vorn_vvc\\Shell\\Open\\Command"_qs, u"@"_qs, {}),
              u"\"/home/user/My Games/Vorn Viewer/VornViewer\" \"%1\""_qs);

    options->BitBtn1Click();
    EXPECT_EQ(ReadAll(root.MimePackageFileName()), mime);
    EXPECT_EQ(ReadAll(root.DesktopFileName()), desktop);
    EXPECT_EQ(ReadAll(root.KeysFileName()), keys);
    EXPECT_EQ(commands.size(), 4);
}

TEST_F(FileTypeRegistrationTest, DesktopToolsSeeTheProgramAsDefaultForVornFiles)
{
    const QString xdgMime = QStandardPaths::findExecutable(u"xdg-mime"_qs);
    if (xdgMime.isEmpty() || QStandardPaths::findExecutable(u"update-mime-database"_qs).isEmpty()
        || QStandardPaths::findExecutable(u"update-desktop-database"_qs).isEmpty())
        GTEST_SKIP() << "xdg-utils, shared-mime-info or desktop-file-utils missing";

    auto options = makeOptions(u"/opt/Vorn Viewer/VornViewer"_qs, TXdgClassesRoot::RunCommand);
    options->BitBtn1Click();
    ASSERT_EQ(m_Messages, QStringList{u"Done!"_qs});
    EXPECT_TRUE(ReadAll(m_DataHome + u"/mime/globs2"_qs).contains(":application/x-vorn-res:*.vmres"));
    EXPECT_TRUE(ReadAll(m_DataHome + u"/applications/mimeinfo.cache"_qs)
                    .contains("application/x-vorn-vvc=vornviewer.desktop;"));

    QDir(m_Dir.path()).mkpath(u"home"_qs);
    QDir(m_Dir.path()).mkpath(u"system"_qs);
    QProcessEnvironment environment;
    environment.insert(u"PATH"_qs, QProcessEnvironment::systemEnvironment().value(u"PATH"_qs));
    environment.insert(u"HOME"_qs, m_Dir.filePath(u"home"_qs));
    environment.insert(u"XDG_DATA_HOME"_qs, m_DataHome);
    environment.insert(u"XDG_DATA_DIRS"_qs, m_Dir.filePath(u"system"_qs));
    environment.insert(u"XDG_CONFIG_HOME"_qs, m_Dir.filePath(u"home/.config"_qs));
    environment.insert(u"XDG_CONFIG_DIRS"_qs, m_Dir.filePath(u"system"_qs));
    QProcess query;
    query.setProcessEnvironment(environment);
    query.start(xdgMime, {u"query"_qs, u"default"_qs, u"application/x-vorn-res"_qs});
    ASSERT_TRUE(query.waitForFinished());
    EXPECT_EQ(query.readAllStandardOutput().trimmed(), QByteArray("vornviewer.desktop"));
}

}  // namespace
