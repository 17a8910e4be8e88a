#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/FolderLayout.h"
#include "browser/GenFunctions.h"
#include "tests/browser/BrowserFixture.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>

#include <memory>

namespace {

class FileListModelTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        VornWriter writer;
        const TFileTime early = MakeFileTime(2003, 5, 1, 10, 0, 0);
        const TFileTime late = MakeFileTime(2004, 1, 2, 8, 30, 0);
        writer.addDir(0, "beta", late);
        const auto alpha = writer.addDir(0, "Alpha", early);
        writer.addFile(alpha, FileSpec{.name = "inner.txt", .data = TextBytes("x")});
        writer.addFile(0, FileSpec{.name = "zero.txt", .data = {}, .time = early});
        writer.addFile(0, FileSpec{.name = "One.dat", .data = Bytes(1, 'a'), .time = late});
        writer.addFile(0, FileSpec{.name = "kilo.dat", .data = Bytes(1024, 'a'), .time = early});
        writer.addFile(0, FileSpec{.name = "Kilo1.dat", .data = Bytes(1025, 'a'), .time = late});
        writer.addFile(0, FileSpec{.name = "packed.gas", .data = Bytes(2500, 'p'), .format = DATAFORMAT_ZLIB,
                                   .crcOverride = 43981, .storedOverride = Bytes(1000, 0)});
        writer.addFile(0, FileSpec{.name = "odd.bin", .data = Bytes(100, 'o'), .format = 3});
        writer.addFile(0, FileSpec{.name = "$secret.txt", .data = TextBytes("s"), .flags = 0x8000,
                                   .crcOverride = 0});
        m_vorn = std::make_unique<TVornFile>(Write(writer, QStringLiteral("list.vmres")).toStdString());
        m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
    }

    int RowOf(const std::string &name) const
    {
        for (size_t i = 0; i < m_model.Rows().size(); ++i)
            if (m_model.Rows()[i].Name == name)
                return int(i);
        return -1;
    }

    QString Text(const std::string &name, int column) const
    {
        return m_model.data(m_model.index(RowOf(name), column)).toString();
    }

    QStringList Names() const
    {
        QStringList names;
        for (const TVornChildItem &row : m_model.Rows())
            names << AnsiToQString(row.Name);
        return names;
    }

    std::unique_ptr<TVornFile> m_vorn;
    TFileListModel m_model;
};

using M = TFileListModel;

TEST_F(FileListModelTest, SizeColumnRoundsUpToKilobytes)
{
    EXPECT_EQ(Text("zero.txt", M::ColSize), QStringLiteral("0 kB"));
    EXPECT_EQ(Text("One.dat", M::ColSize), QStringLiteral("1 kB"));
    EXPECT_EQ(Text("kilo.dat", M::ColSize), QStringLiteral("1 kB"));
    EXPECT_EQ(Text("Kilo1.dat", M::ColSize), QStringLiteral("2 kB"));
    EXPECT_EQ(Text("packed.gas", M::ColSize), QStringLiteral("3 kB"));
    // Sizes near 4 GiB must not wrap around to 1 kB.
    EXPECT_EQ(M::SizeText(0xFFFFFFFFu), QStringLiteral("4194304 kB"));
}

TEST_F(FileListModelTest, RatioFormatAndCrcColumns)
{
    EXPECT_EQ(Text("packed.gas", M::ColRatio), QStringLiteral("60%"));
    EXPECT_EQ(Text("packed.gas", M::ColFormat), QStringLiteral("Zlib"));
    EXPECT_EQ(Text("packed.gas", M::ColCrc), QStringLiteral("0000ABCD"));
    EXPECT_EQ(Text("zero.txt", M::ColRatio), QString());
    EXPECT_EQ(Text("One.dat", M::ColRatio), QString()); // raw
    EXPECT_EQ(Text("One.dat", M::ColFormat), QStringLiteral("Raw"));
    EXPECT_EQ(Text("odd.bin", M::ColFormat), QStringLiteral("Unkn"));
    EXPECT_EQ(Text("$secret.txt", M::ColCrc), QStringLiteral("-"));
    EXPECT_EQ(Text("packed.gas", M::ColType), QStringLiteral("GAS File"));

    TVornChildItem grown;
    grown.Size = 1000;
    grown.StoredSize = 1250;
    grown.FormatCode = DATAFORMAT_LZO;
    EXPECT_EQ(M::RatioText(grown), QStringLiteral("-25%"));
    grown.StoredSize = 125; // 87.5 rounds to the even neighbour
    EXPECT_EQ(M::RatioText(grown), QStringLiteral("88%"));
    grown.StoredSize = 625; // 37.5
    EXPECT_EQ(M::RatioText(grown), QStringLiteral("38%"));
    grown.StoredSize = 375; // 62.5
    EXPECT_EQ(M::RatioText(grown), QStringLiteral("62%"));
}

TEST_F(FileListModelTest, FolderRowsShowOnlyNameTypeAndDate)
{
    EXPECT_EQ(Text("beta", M::ColType), QStringLiteral("Folder"));
    for (int column : {M::ColSize, M::ColRatio, M::ColFormat, M::ColCrc})
        EXPECT_EQ(Text("beta", column), QString()) << column;
    EXPECT_EQ(Text("beta", M::ColModified), DateTimeToText(FileTimeToDateTime(MakeFileTime(2004, 1, 2, 8, 30, 0))));
    EXPECT_EQ(m_model.data(m_model.index(RowOf("beta"), 0), M::EntryRole).toUInt(),
              m_model.Rows()[size_t(RowOf("beta"))].Entry);
}

TEST_F(FileListModelTest, DetailsAreReadOnlyForRowsAskedFor)
{
    for (const TVornChildItem &row : m_model.Rows())
        EXPECT_TRUE(row.NeedsDetail);
    Text("packed.gas", M::ColName);
    for (const TVornChildItem &row : m_model.Rows())
        EXPECT_EQ(row.NeedsDetail, row.Name != "packed.gas") << row.Name;
}

TEST_F(FileListModelTest, DrawingHintsForStruckOutDollarNamesAndCrc)
{
    const int secret = RowOf("$secret.txt");
    EXPECT_EQ(m_model.data(m_model.index(secret, M::ColName), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0, 0, 255));
    EXPECT_FALSE(m_model.data(m_model.index(secret, M::ColType), Qt::ForegroundRole).isValid());
    EXPECT_TRUE(m_model.data(m_model.index(secret, M::ColName), Qt::FontRole).value<QFont>().strikeOut());
    EXPECT_FALSE(m_model.data(m_model.index(RowOf("One.dat"), M::ColName), Qt::FontRole).isValid());
    const QFont crc = m_model.data(m_model.index(RowOf("One.dat"), M::ColCrc), Qt::FontRole).value<QFont>();
    EXPECT_EQ(crc.families().value(0), QStringLiteral("Courier New"));
}

TEST_F(FileListModelTest, FirstListingSortsFoldersFirstByName)
{
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("$secret.txt"),
                                    QStringLiteral("kilo.dat"), QStringLiteral("Kilo1.dat"), QStringLiteral("odd.bin"),
                                    QStringLiteral("One.dat"), QStringLiteral("packed.gas"), QStringLiteral("zero.txt")}));
}

TEST_F(FileListModelTest, TheRootsNameOrderFromTheReadServesListingsByNameOnly)
{
    // The layout's order is the list's own; by name either way round it is
    // taken as given (a turned one shows it), any other order sorts.
    const TFolderLayout folders(*m_vorn);
    const TEntryOffset root = m_vorn->GetRootOffset();
    const QStringList byName = Names();
    m_model.FillFileList(m_vorn.get(), root, folders.RootByName());
    EXPECT_EQ(Names(), byName);
    std::vector<TEntryOffset> turned(folders.RootByName().begin(), folders.RootByName().end());
    std::rotate(turned.begin(), turned.begin() + 3, turned.end());
    ASSERT_TRUE(m_model.ChooseSortColumn(M::ColName)); // descending
    m_model.FillFileList(m_vorn.get(), root, turned);
    EXPECT_EQ(Names().first(3), (QStringList{byName[2], byName[1], byName[0]}));
    ASSERT_TRUE(m_model.ChooseSortColumn(M::ColSize));
    m_model.FillFileList(m_vorn.get(), root, turned);
    EXPECT_EQ(Names().first(3), (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("zero.txt")}));
}

TEST_F(FileListModelTest, NameClicksInvertThenRestoreAndOtherColumnsStartAscending)
{
    const QStringList first = Names();
    ASSERT_TRUE(m_model.ChooseSortColumn(M::ColName));
    m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
    QStringList reversed = first;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(Names(), reversed); // files Z to A, then folders Z to A

    ASSERT_TRUE(m_model.ChooseSortColumn(M::ColName));
    m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
    EXPECT_EQ(Names(), first);

    ASSERT_TRUE(m_model.ChooseSortColumn(M::ColSize));
    EXPECT_FALSE(m_model.SortDescending());
    m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("zero.txt"),
                                    QStringLiteral("$secret.txt"), QStringLiteral("One.dat"), QStringLiteral("odd.bin"),
                                    QStringLiteral("kilo.dat"), QStringLiteral("Kilo1.dat"), QStringLiteral("packed.gas")}));

    for (int column : {M::ColRatio, M::ColFormat, M::ColCrc})
        EXPECT_FALSE(m_model.ChooseSortColumn(column));
    EXPECT_EQ(m_model.SortCompare(), &CompareBySize);
}

TEST_F(FileListModelTest, DateOrderMixesFoldersAndBreaksTiesByName)
{
    ASSERT_TRUE(m_model.ChooseSortColumn(M::ColModified));
    m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
    // Undated entries first, then 2003 (Alpha, kilo.dat, zero.txt), then 2004.
    const QStringList names = Names();
    const QStringList dated = names.mid(names.indexOf(QStringLiteral("Alpha")));
    EXPECT_EQ(dated, (QStringList{QStringLiteral("Alpha"), QStringLiteral("kilo.dat"), QStringLiteral("zero.txt"),
                                  QStringLiteral("beta"), QStringLiteral("Kilo1.dat"), QStringLiteral("One.dat")}));
}

TEST_F(FileListModelTest, TypeOrderGroupsFilesByTypeText)
{
    ASSERT_TRUE(m_model.ChooseSortColumn(M::ColType));
    m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("odd.bin"),
                                    QStringLiteral("kilo.dat"), QStringLiteral("Kilo1.dat"), QStringLiteral("One.dat"),
                                    QStringLiteral("packed.gas"), QStringLiteral("$secret.txt"), QStringLiteral("zero.txt")}));
}

TEST_F(FileListModelTest, ASecondClickOnSizeTypeOrDateSortsDescending)
{
    for (int column : {M::ColSize, M::ColType, M::ColModified}) {
        ASSERT_TRUE(m_model.ChooseSortColumn(column));
        m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
        QStringList reversed = Names();
        std::reverse(reversed.begin(), reversed.end());
        ASSERT_TRUE(m_model.ChooseSortColumn(column));
        EXPECT_TRUE(m_model.SortDescending());
        m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
        EXPECT_EQ(Names(), reversed) << column;
    }
    // A name that is the start of another sorts first, in either string type.
    EXPECT_LT(CompareText(std::string_view("kilo"), std::string_view("KILO.dat")), 0);
    EXPECT_GT(CompareText(QStringLiteral("Kilo.dat"), QStringLiteral("kilo")), 0);
}

TEST_F(FileListModelTest, TypeAheadMatchesPrefixesInAnyCaseAndStopsAfterOnePass)
{
    // Rows: Alpha, beta, $secret.txt, kilo.dat, Kilo1.dat, odd.bin, One.dat, packed.gas, zero.txt
    EXPECT_EQ(m_model.DataFind(QStringLiteral("KI"), 0, false), 3);
    EXPECT_EQ(m_model.DataFind(QStringLiteral("ki"), 4, false), 4);
    EXPECT_EQ(m_model.DataFind(QStringLiteral("al"), 1, false), -1);
    EXPECT_EQ(m_model.DataFind(QStringLiteral("al"), 1, true), 0);
    EXPECT_EQ(m_model.DataFind(QStringLiteral("al"), 9, true), 0); // start at the row count wraps
    EXPECT_EQ(m_model.DataFind(QStringLiteral("qq"), 0, true), -1);
    const QModelIndexList found = m_model.match(m_model.index(5, 0), Qt::DisplayRole, QStringLiteral("o"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first().row(), 5);
    EXPECT_TRUE(m_model.match(m_model.index(0, 0), Qt::DisplayRole, QStringLiteral("ta"), 1,
                              Qt::MatchContains | Qt::MatchWrap).isEmpty());
    // From a cell of another column (the one clicked) it still goes by the names.
    for (const int column : {int(TFileListModel::ColType), int(TFileListModel::ColModified)}) {
        const QModelIndexList byName = m_model.match(m_model.index(1, column), Qt::DisplayRole, QStringLiteral("ki"));
        ASSERT_EQ(byName.size(), 1);
        EXPECT_EQ(byName.first(), m_model.index(3, TFileListModel::ColName));
    }
}

TEST_F(FileListModelTest, PassesTheModelTesterThroughListingsAndClearing)
{
    QAbstractItemModelTester tester(&m_model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_model.FillFileList(m_vorn.get(), m_vorn->GetChildren(m_vorn->GetRootOffset()).at(1));
    m_model.FillFileList(m_vorn.get(), m_vorn->GetRootOffset());
    m_model.ClearRows();
    EXPECT_EQ(m_model.rowCount(), 0);
    EXPECT_FALSE(m_model.data(m_model.index(0, 0)).isValid());
}

} // namespace
