#include "platform/XdgClassesRoot.h"

#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class XdgClassesRootTest : public ::testing::Test {
protected:
    QTemporaryDir m_DataHome;
    QStringList m_Commands;
    TXdgClassesRoot root{m_DataHome.path(), [this](const QString &program, const QStringList &arguments) {
                             m_Commands << program + u' ' + arguments.join(u' ');
                         }};
};

TEST_F(XdgClassesRootTest, KeysBecomeMimePackageAndDesktopEntry)
{
    root.WriteDefaultValue(u".vmres"_qs, u"vorn_res"_qs);
    root.WriteDefaultValue(u"vorn_res"_qs, u"Velmire <Resource> & more"_qs);
    EXPECT_FALSE(QFile::exists(root.DesktopFileName()));  // no command yet
    root.WriteDefaultValue(u"vorn_res\\DefaultIcon"_qs, u"/opt/vv/VornViewer,0"_qs);
    root.WriteDefaultValue(u"vorn_res\\Shell\\Open"_qs, u"&Open"_qs);
    root.WriteDefaultValue(u"vorn_res\\Shell\\Open\\Command"_qs, u"\"/opt/vv/VornViewer\" \"%1\""_qs);
    root.WriteDefaultValue(u".VMRES2"_qs, u"VORN_RES"_qs);  // type names ignore case

    EXPECT_EQ(ReadAll(root.MimePackageFileName()),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                         "  <mime-type type=\"application/x-vorn-res\">\n"
                         "    <comment>Velmire &lt;Resource&gt; &amp; more</comment>\n"
                         "    <glob pattern=\"*.vmres\"/>\n"
                         "    <glob pattern=\"*.vmres2\"/>\n"
                         "  </mime-type>\n"
                         "</mime-info>\n"));
    EXPECT_TRUE(ReadAll(root.DesktopFileName()).contains("\nExec=/opt/vv/VornViewer %F\n"));
    EXPECT_TRUE(ReadAll(root.DesktopFileName()).contains("\nMimeType=application/x-vorn-res;\n"));
    EXPECT_TRUE(m_Commands.isEmpty());

    root.NotifyAssociationsChanged();
    EXPECT_EQ(m_Commands, (QStringList{u"update-mime-database "_qs + m_DataHome.filePath(u"mime"_qs),
                                       u"update-desktop-database "_qs + m_DataHome.filePath(u"applications"_qs)}));
}

TEST(XdgExecLine, QuotesReservedCharacters)
{
    EXPECT_EQ(TXdgClassesRoot::ExecLineOf(u"\"/home/a b/My Games/VornViewer\" \"%1\""_qs),
              u"\"/home/a b/My Games/VornViewer\" %F"_qs);
    // Inside quotes " ` $ \ get a backslash, % is doubled; the file level then
    // doubles every backslash.
    EXPECT_EQ(TXdgClassesRoot::ExecLineOf(u"\"/x/$a`b\\c%d\" \"%1\""_qs),
              u"\"/x/\\\\$a\\\\`b\\\\\\\\c%%d\" %F"_qs);
    // A path without reserved characters stays bare: launchers that split on
    // blanks would otherwise run the quotes as part of the name.
    EXPECT_EQ(TXdgClassesRoot::ExecLineOf(u"/usr/bin/vv %1"_qs), u"/usr/bin/vv %F"_qs);
    EXPECT_EQ(TXdgClassesRoot::ExecLineOf(u"\"/opt/v%v/vv\" \"%1\""_qs), u"/opt/v%%v/vv %F"_qs);
    EXPECT_EQ(TXdgClassesRoot::ExecLineOf(u"\"/opt/it's#1/vv\" \"%1\""_qs), u"\"/opt/it's#1/vv\" %F"_qs);
    EXPECT_EQ(TXdgClassesRoot::MimeTypeOf(u"Vorn_QSave"_qs), u"application/x-vorn-qsave"_qs);
}

}  // namespace
