#include "browser/Constants.h"
#include "browser/GenFunctions.h"
#include "tests/browser/BrowserFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLocale>

using GenFunctionsTest = BrowserTest;

TEST(ErrorBoxText, AppendsFullStopOnlyAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(ErrorBoxText(QStringLiteral("Invalid header")), QStringLiteral("Invalid header."));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("Size missmatch.")), QStringLiteral("Size missmatch."));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("Really?")), QStringLiteral("Really?."));
    EXPECT_EQ(ErrorBoxText(QStringLiteral("Stop!")), QStringLiteral("Stop!"));   // '!' sorts before '.'
    EXPECT_EQ(ErrorBoxText(QStringLiteral("a-")), QStringLiteral("a-"));
    EXPECT_EQ(ErrorBoxText(QString()), QString());
}

TEST(SamePath, ComparesExactlyOnLinuxAndAsciiCaseOnlyOtherwise)
{
    EXPECT_TRUE(SameTextAsciiCase(QStringLiteral("/data/A.vmres"), QStringLiteral("/DATA/a.VMRES")));
    EXPECT_FALSE(SameTextAsciiCase(QStringLiteral("\u00e9"), QStringLiteral("\u00c9"))); // only a-z fold
#ifdef Q_OS_WIN
    EXPECT_TRUE(SamePath(QStringLiteral("C:/x/A.vmres"), QStringLiteral("c:/X/a.vmres")));
#else
    EXPECT_FALSE(SamePath(QStringLiteral("/x/A.vmres"), QStringLiteral("/x/a.vmres")));
    EXPECT_TRUE(SamePath(QStringLiteral("/x/A.vmres"), QStringLiteral("/x/A.vmres")));
#endif
}

TEST_F(GenFunctionsTest, LongFileNameExpandsRelativePathsAndRejectsMissingOnes)
{
    const QString archive = WriteSample(QStringLiteral("data.vmres"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    EXPECT_EQ(LongFileName(QStringLiteral("data.vmres")), archive);
    EXPECT_EQ(LongFileName(QStringLiteral("./sub/../data.vmres")), archive);
    EXPECT_EQ(LongFileName(QStringLiteral("missing.vmres")), QString());
    EXPECT_EQ(LongFileName(QStringLiteral("*.vmres")), QStringLiteral("*.vmres"));
    QDir::setCurrent(previous);
}

TEST(DateTimeToText, LeavesOutMidnight)
{
    const QLocale locale = QLocale::system();
    // 2004-02-29 is day 38046 after 1899-12-30.
    const QString date = locale.toString(QDate(2004, 2, 29), QLocale::ShortFormat);
    EXPECT_EQ(DateTimeToText(38046.0), date);
    const QString noon = DateTimeToText(38046.5);
    EXPECT_TRUE(noon.startsWith(date + u' ')) << noon.toStdString();
    // Archive times carry no time zone, so none is shown.
    EXPECT_TRUE(noon.contains(QStringLiteral("12:00:00"))) << noon.toStdString();
    EXPECT_FALSE(noon.contains(QStringLiteral("UTC"))) << noon.toStdString();
}

TEST(FileNameParts, SplitFolderAndName)
{
    EXPECT_EQ(FileNamePart(QStringLiteral("/games/data.vmres")), QStringLiteral("data.vmres"));
    EXPECT_EQ(FolderPart(QStringLiteral("/games/data.vmres")), QStringLiteral("/games"));
    EXPECT_EQ(FolderPart(QStringLiteral("/data.vmres")), QStringLiteral("/"));
}

TEST(OpenDialogFilter, OffersVelmireFilesFirst)
{
    const QString filter = OpenDialogFilterText();
    EXPECT_TRUE(filter.startsWith(QStringLiteral("Velmire Files (*.vm*;*.vvc) (*.vm* *.vvc);;")));
    EXPECT_TRUE(filter.contains(QStringLiteral("Velmire Savegames (*.vmsave *.vmasave *.vmqsave *.vmparty)")));
    EXPECT_EQ(OpenDialogFilters().size(), 6u);
}

TEST(PrivateTempFolder, IsAFolderOfThisUserEvenWhenAnotherHasTakenTheName)
{
    QTemporaryDir temp;
    const QByteArray before = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString name = temp.filePath(QStringLiteral("vornviewer-") + qEnvironmentVariable("USER", QStringLiteral("user")));

    const auto onlyOwner = [](const QString &path) {
        const QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                                QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        return (QFile::permissions(path) & (all | others)) == all;
    };
    EXPECT_EQ(PrivateTempFolder(), name + u'/');
    EXPECT_TRUE(onlyOwner(name));

    // Someone else made the name a link to a folder of theirs.
    ASSERT_TRUE(QDir(name).removeRecursively());
    const QString theirs = temp.filePath(QStringLiteral("theirs"));
    ASSERT_TRUE(QDir().mkpath(theirs));
    ASSERT_TRUE(QFile::link(theirs, name));
    const QString fresh = PrivateTempFolder();
    EXPECT_NE(fresh, name + u'/');
    EXPECT_TRUE(fresh.startsWith(temp.path() + u'/'));
    const QFileInfo info(fresh.chopped(1));
    EXPECT_TRUE(info.isDir() && !info.isSymLink());
    EXPECT_TRUE(onlyOwner(info.filePath()));
    EXPECT_TRUE(QDir(theirs).isEmpty());
    qputenv("TMPDIR", before);
}
