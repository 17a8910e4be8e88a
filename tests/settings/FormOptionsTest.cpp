#include "settings/FormOptions.h"

#include "platform/AppFolder.h"
#include "platform/IniFile.h"
#include "tests/platform/QStringPrinter.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FormOptionsTest : public ::testing::Test {
protected:
    QString iniName() const { return m_Dir.filePath(u"VornViewer.ini"_qs); }

    void writeIni(const QByteArray &bytes)
    {
        QFile file(iniName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray iniContent() const
    {
        QFile file(iniName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_Dir;
};

TEST_F(FormOptionsTest, NoFileGivesTheProgramFolderAndFollowing)
{
    TfrmOptions options(iniName(), QString());
    EXPECT_EQ(options.GetStartupDir(), GetAppFolder());
    EXPECT_EQ(options.GetExtractDir(), GetAppFolder());
    EXPECT_TRUE(options.CheckBox1->isChecked());
    EXPECT_TRUE(options.CheckBox2->isChecked());
    EXPECT_FALSE(options.btnVM->isEnabled());
    EXPECT_FALSE(QFile::exists(iniName()));

    options.SaveSettings();
    const QByteArray app = GetAppFolder().toUtf8();
    EXPECT_EQ(iniContent(), "[Folders]\nOpen=" + app + "\nOpenLast=1\nExtract=" + app + "\nExtractLast=1\n");
}

TEST_F(FormOptionsTest, BooleansReadByTheNumberRule)
{
    writeIni("[folders]\nopen=/games/\nOpenLast=0x0\nExtract=/out/\nExtractLast=abc\n");
    TfrmOptions options(iniName(), QString());
    EXPECT_EQ(options.GetStartupDir(), u"/games/"_qs);
    EXPECT_EQ(options.GetExtractDir(), u"/out/"_qs);
    EXPECT_FALSE(options.CheckBox1->isChecked());
    EXPECT_TRUE(options.CheckBox2->isChecked());

    options.SaveSettings();  // written back in the program's own form
    EXPECT_EQ(iniContent(), QByteArray("[folders]\nopen=/games/\nOpenLast=0\nExtract=/out/\nExtractLast=1\n"));
    TfrmOptions again(iniName(), QString());
    EXPECT_FALSE(again.CheckBox1->isChecked());
    EXPECT_TRUE(again.CheckBox2->isChecked());
}

TEST_F(FormOptionsTest, FoldersFollowBrowsingOnlyWhenChecked)
{
    writeIni("[Folders]\nOpen=/fixed/\nOpenLast=0\nExtract=/x/\nExtractLast=1\n");
    TfrmOptions options(iniName(), QString());
    options.SetLastOpenDir(u"/browsed/"_qs);
    options.SetLastExtractDir(u"/target"_qs);
    EXPECT_EQ(options.GetStartupDir(), u"/fixed/"_qs);
    EXPECT_EQ(options.GetExtractDir(), u"/target"_qs);
    EXPECT_EQ(TIniFile(iniName()).ReadString(u"Folders"_qs, u"Extract"_qs, {}), u"/x/"_qs);  // not yet saved
    options.CheckBox2->setChecked(false);
    options.SetLastExtractDir(u"/elsewhere/"_qs);
    EXPECT_EQ(options.GetExtractDir(), u"/target"_qs);
}

TEST_F(FormOptionsTest, OkSavesCancelRestoresEscapeKeepsEdits)
{
    TfrmOptions options(iniName(), QString());
    options.SaveSettings();  // as the main window does before showing it
    options.show();
    const QString shown = options.GetStartupDir();

    options.Edit1->setText(u"/edited/"_qs);
    QTest::mouseClick(options.btnCancel, Qt::LeftButton);
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(options.result(), QDialog::Rejected);
    EXPECT_EQ(options.GetStartupDir(), shown);

    options.show();
    options.Edit1->setText(u"/kept/"_qs);
    QTest::keyClick(&options, Qt::Key_Escape);
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(options.GetStartupDir(), u"/kept/"_qs);
    EXPECT_EQ(TIniFile(iniName()).ReadString(u"Folders"_qs, u"Open"_qs, {}), shown);

    options.show();
    options.CheckBox2->setChecked(false);
    QTest::mouseClick(options.btnOk, Qt::LeftButton);
    EXPECT_FALSE(options.isVisible());
    EXPECT_EQ(options.result(), QDialog::Accepted);
    TIniFile ini(iniName());
    EXPECT_EQ(ini.ReadString(u"Folders"_qs, u"Open"_qs, {}), u"/kept/"_qs);
    EXPECT_FALSE(ini.ReadBool(u"Folders"_qs, u"ExtractLast"_qs, true));
}

TEST_F(FormOptionsTest, FailedSaveOnOkIsReportedAndTheDialogStays)
{
    TfrmOptions options(m_Dir.filePath(u"file/VornViewer.ini"_qs), QString());
    writeIni("");
    QFile::rename(iniName(), m_Dir.filePath(u"file"_qs));  // a file where the folder should be
    QStringList errors;
    options.SetErrorHandler([&](const std::exception &error) { errors << QString::fromUtf8(error.what()); });
    options.show();
    QTest::mouseClick(options.btnOk, Qt::LeftButton);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(u"Unable to write to "_qs));
    EXPECT_TRUE(options.isVisible());
}

TEST_F(FormOptionsTest, GameFolderAndBrowseButtons)
{
    TfrmOptions options(iniName(), u"/wine/drive_c/Velmire/"_qs);
    EXPECT_TRUE(options.btnVM->isEnabled());
    EXPECT_TRUE(options.lblGamePrefix->isHidden());  // no prefix named
    QTest::mouseClick(options.btnVM, Qt::LeftButton);
    EXPECT_EQ(options.GetStartupDir(), u"/wine/drive_c/Velmire/"_qs);

    QStringList starts;
    QString answer = u"/picked"_qs;
    options.SetFolderBrowser([&](QWidget *, const QString &start) {
        starts << start;
        return answer;
    });
    QTest::mouseClick(options.Button2, Qt::LeftButton);
    EXPECT_EQ(options.GetExtractDir(), u"/picked"_qs);
    answer.clear();  // the user cancels
    QTest::mouseClick(options.Button1, Qt::LeftButton);
    EXPECT_EQ(options.GetStartupDir(), u"/wine/drive_c/Velmire/"_qs);
    EXPECT_EQ(starts, (QStringList{GetAppFolder(), u"/wine/drive_c/Velmire/"_qs}));
}

TEST_F(FormOptionsTest, NamesThePrefixTheGameWasFoundIn)
{
    const QString prefix = u"/home/player/.local/share/Steam/steamapps/compatdata/1234567/pfx"_qs;
    TfrmOptions options(iniName(), TGameInstall{prefix + u"/drive_c/Velmire/"_qs, prefix});
    EXPECT_FALSE(options.lblGamePrefix->isHidden());
    EXPECT_TRUE(options.lblGamePrefix->text().startsWith(u"Game found in the Wine prefix\n"_qs));
    EXPECT_TRUE(options.lblGamePrefix->text().endsWith(u"pfx"_qs));
    EXPECT_EQ(options.lblGamePrefix->toolTip(), prefix);
    EXPECT_TRUE(options.btnVM->toolTip().contains(prefix));
    EXPECT_LE(options.lblGamePrefix->sizeHint().width(), options.width());

    const QString home = QDir::homePath() + u"/.wine"_qs;
    TfrmOptions atHome(iniName(), TGameInstall{home + u"/drive_c/Velmire/"_qs, home});
    EXPECT_TRUE(atHome.lblGamePrefix->text().endsWith(u"\n~/.wine"_qs));
}

}  // namespace
