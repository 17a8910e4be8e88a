#include "platform/IniFile.h"

#include "archive/Exceptions.h"

#include <QFile>
#include <QTemporaryDir>

#include "tests/platform/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString &name = QStringLiteral("test.ini")) const { return m_Dir.filePath(name); }

    void writeFile(const QByteArray &bytes)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray fileContent() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_Dir;
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndReadsNeverCreateIt)
{
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString(u"Folders"_qs, u"Open"_qs, u"/def/"_qs), u"/def/"_qs);
    EXPECT_TRUE(ini.ReadBool(u"Folders"_qs, u"OpenLast"_qs, true));
    ini.EraseSection(u"history"_qs);
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(IniFileTest, NamesAreCaseInsensitiveAndValuesAreTakenAsTheyStand)
{
    writeFile("[Folders]\r\nOpen=C:\\Games\\ \"x\" ;y\r\nEmpty=\r\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString(u"FOLDERS"_qs, u"open"_qs, {}), u"C:\\Games\\ \"x\" ;y"_qs);
    EXPECT_EQ(ini.ReadString(u"folders"_qs, u"Empty"_qs, u"default"_qs), QString());
    EXPECT_EQ(ini.ReadString(u"Other"_qs, u"Open"_qs, u"d"_qs), u"d"_qs);
}

TEST_F(IniFileTest, WritesKeepOtherLinesAndOrder)
{
    writeFile("; comment\n[A]\nx=1\ny=2\n\n[b]\nz=3\n");
    TIniFile ini(path());
    ini.WriteString(u"a"_qs, u"X"_qs, u"changed"_qs);  // existing key keeps its spelling
    ini.WriteString(u"A"_qs, u"new"_qs, u"4"_qs);      // appended at the end of its section
    ini.WriteString(u"C"_qs, u"k"_qs, u"v"_qs);        // new section at the end
    EXPECT_EQ(fileContent(), QByteArray("; comment\n[A]\nx=changed\ny=2\nnew=4\n\n[b]\nz=3\n[C]\nk=v\n"));
}

TEST_F(IniFileTest, EveryWriteReachesTheFileAtOnce)
{
    TIniFile writer(path());
    TIniFile reader(path());
    writer.WriteString(u"S"_qs, u"k"_qs, u"1"_qs);
    EXPECT_EQ(reader.ReadString(u"S"_qs, u"k"_qs, {}), u"1"_qs);
    writeFile("[S]\nk=edited by hand\n");
    EXPECT_EQ(reader.ReadString(u"S"_qs, u"k"_qs, {}), u"edited by hand"_qs);
}

TEST_F(IniFileTest, LongValuesAreCutAt2047Characters)
{
    TIniFile ini(path());
    const QString exact(2047, u'a');
    ini.WriteString(u"S"_qs, u"exact"_qs, exact);
    ini.WriteString(u"S"_qs, u"long"_qs, exact + u"bc"_qs);
    EXPECT_EQ(ini.ReadString(u"S"_qs, u"exact"_qs, {}), exact);
    EXPECT_EQ(ini.ReadString(u"S"_qs, u"long"_qs, {}), exact);
    ini.WriteString(u"S"_qs, u"one more"_qs, exact + u"b"_qs);
    EXPECT_EQ(ini.ReadString(u"S"_qs, u"one more"_qs, {}), exact);
    EXPECT_TRUE(fileContent().contains("abc\n"));  // the file keeps the whole text
}

TEST_F(IniFileTest, HistorySectionIsRewrittenWhole)
{
    writeFile("[Folders]\nOpen=/a/\n[history]\n0=/x.vmres\n2=/y.vmres\n5=/z.vvc\n[After]\nk=v\n");
    TIniFile ini(path());
    QStringList loaded;
    for (int i = 0; i < 8; ++i) {
        const QString value = ini.ReadString(u"history"_qs, QString::number(i), {});
        if (!value.isEmpty())
            loaded << value;
    }
    ASSERT_EQ(loaded, (QStringList{u"/x.vmres"_qs, u"/y.vmres"_qs, u"/z.vvc"_qs}));
    ini.EraseSection(u"HISTORY"_qs);
    for (int i = 0; i < loaded.size(); ++i)
        ini.WriteString(u"history"_qs, QString::number(i), loaded[i]);
    EXPECT_EQ(fileContent(),
              QByteArray("[Folders]\nOpen=/a/\n[After]\nk=v\n[history]\n0=/x.vmres\n1=/y.vmres\n2=/z.vvc\n"));
    ini.EraseSection(u"history"_qs);
    EXPECT_EQ(fileContent(), QByteArray("[Folders]\nOpen=/a/\n[After]\nk=v\n"));
}

TEST_F(IniFileTest, BooleansFollowTheNumberRule)
{
    TIniFile ini(path());
    ini.WriteBool(u"F"_qs, u"t"_qs, true);
    ini.WriteBool(u"F"_qs, u"f"_qs, false);
    EXPECT_EQ(fileContent(), QByteArray("[F]\nt=1\nf=0\n"));
    EXPECT_TRUE(ini.ReadBool(u"F"_qs, u"t"_qs, false));
    EXPECT_FALSE(ini.ReadBool(u"F"_qs, u"f"_qs, true));

    EXPECT_FALSE(TIniFile::ParseBool(u"0x0"_qs, true));
    EXPECT_FALSE(TIniFile::ParseBool(u"0X00000000"_qs, true));
    EXPECT_TRUE(TIniFile::ParseBool(u"0xff"_qs, false));
    EXPECT_TRUE(TIniFile::ParseBool(u"-1"_qs, false));
    EXPECT_TRUE(TIniFile::ParseBool(u"17"_qs, false));
    // Unreadable values give the default, whichever it is.
    for (const QString &bad : {u"abc"_qs, u""_qs, u"0x"_qs, u"0xg"_qs, u"1.5"_qs, u"true"_qs, u"0x-1"_qs}) {
        EXPECT_TRUE(TIniFile::ParseBool(bad, true)) << bad.toStdString();
        EXPECT_FALSE(TIniFile::ParseBool(bad, false)) << bad.toStdString();
    }
}

TEST_F(IniFileTest, TextsThatWouldBreakTheFileAreRefused)
{
    TIniFile ini(path());
    ini.WriteString(u"S"_qs, u"k"_qs, u"keep"_qs);
    EXPECT_THROW(ini.WriteString(u"S"_qs, u"k"_qs, u"a\n[S]\nk=injected"_qs), Exception);
    EXPECT_THROW(ini.WriteString(u"S"_qs, u"a=b"_qs, u"v"_qs), Exception);
    EXPECT_THROW(ini.WriteString(u"S]"_qs, u"k"_qs, u"v"_qs), Exception);
    EXPECT_EQ(fileContent(), QByteArray("[S]\nk=keep\n"));
}

TEST_F(IniFileTest, NonUtf8FileIsKeptReadable)
{
    writeFile("[S]\nname=Caf\xe9\nk=1\n");
    TIniFile ini(path());
    EXPECT_EQ(ini.ReadString(u"S"_qs, u"name"_qs, {}), u"Caf\u00e9"_qs);
    ini.WriteString(u"S"_qs, u"k"_qs, u"2"_qs);
    EXPECT_EQ(ini.ReadString(u"S"_qs, u"name"_qs, {}), u"Caf\u00e9"_qs);
}

TEST_F(IniFileTest, WriteFailureIsReported)
{
    writeFile("not a folder");
    TIniFile ini(path() + u"/inside/test.ini"_qs);
    EXPECT_THROW(ini.WriteString(u"S"_qs, u"k"_qs, u"v"_qs), Exception);
    EXPECT_EQ(fileContent(), QByteArray("not a folder"));
}

}  // namespace
