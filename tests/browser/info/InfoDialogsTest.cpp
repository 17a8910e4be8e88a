#include "archive/vmVornFile.h"
#include "browser/FormProperties.h"
#include "browser/FormVornProperties.h"
#include "tests/support/VornWriter.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

using Rows = std::vector<std::pair<QString, QString>>;

Rows RowsOf(const QTableWidget &grid)
{
    Rows rows;
    for (int i = 0; i < grid.rowCount(); ++i)
        rows.emplace_back(grid.item(i, 0)->text(), grid.item(i, 1)->text());
    return rows;
}

QString ValueOf(const QTableWidget &grid, const QString &key)
{
    for (const auto &[k, v] : RowsOf(grid))
        if (k == key)
            return v;
    return QStringLiteral("<no row>");
}

struct VornInfoTest : ::testing::Test {
    std::unique_ptr<TVornFile> Write(VornWriter &writer)
    {
        const std::string path = dir.filePath(QStringLiteral("info.vmres")).toStdString();
        writer.write(path);
        return std::make_unique<TVornFile>(path);
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(VornInfoTest, GeneralPageAndEverySixteenRows)
{
    VornWriter writer;
    TVornHeader &h = writer.header;
    h.m_HeaderVersion = 0x00020005;
    h.m_ProductVersion.m_Numbers = {1, 2, 3, 4, 5, 6};
    h.m_MinimumVersion.m_Numbers = {10, 0, 1234, 7, 12, 34};
    h.m_Priority = 0x23000;
    h.m_Flags = 0;
    h.m_CreatorId = {};
    h.m_GUID = {0x01234567, 0x89AB, 0xCDEF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
    h.m_DataCRC32 = 0xABCDEF;
    h.m_UtcBuildTime = {2003, 5, 3, 14, 17, 4, 9, 120};
    h.m_TitleText = u"Velmire Core";
    h.m_CopyrightText = u"\u00A9 2003 Brem";
    h.m_AuthorText = u"Team";
    h.m_BuildText = u"build 17";
    writer.description = u"Line one\r\nLine two";
    writer.addFile(0, FileSpec{.name = "a.txt", .data = TextBytes("abc")});
    const auto vorn = Write(writer);
    const TVornHeader &stored = vorn->Header();

    TfrmVornProperties form(*vorn);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vorn Info"));
    EXPECT_EQ(form.LabeledEdit1->text(), QStringLiteral("Velmire Core"));
    EXPECT_EQ(form.LabeledEdit2->text(), QStringLiteral("\u00A9 2003 Brem"));
    EXPECT_EQ(form.LabeledEdit3->text(), QStringLiteral("Team"));
    EXPECT_EQ(form.LabeledEdit4->text(), QStringLiteral("build 17"));
    EXPECT_EQ(form.Memo1->toPlainText(), QStringLiteral("Line one\nLine two"));
    EXPECT_TRUE(form.Memo1->isReadOnly());

    const auto hex = [](uint32_t v) { return QStringLiteral("0x") + QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper(); };
    const Rows expected = {
        {QStringLiteral("m_ProductId"), QStringLiteral("Velm")},
        {QStringLiteral("m_VornId"), QStringLiteral("Vorn")},
        {QStringLiteral("m_HeaderVersion"), QStringLiteral("2.5")},
        {QStringLiteral("m_DirSetOffset"), hex(stored.m_DirSetOffset)},
        {QStringLiteral("m_FileSetOffset"), hex(stored.m_FileSetOffset)},
        {QStringLiteral("m_IndexSize"), QString::number(stored.m_IndexSize)},
        {QStringLiteral("m_DataOffset"), hex(stored.m_DataOffset)},
        {QStringLiteral("m_ProductVersion"), QStringLiteral("01.[02].0003.04.0506")},
        {QStringLiteral("m_MinimumVersion"), QStringLiteral("10.[00].1234.07.1234")},
        {QStringLiteral("m_Priority"), QStringLiteral("Patch + 2")},
        {QStringLiteral("m_Flags"), QStringLiteral("None")},
        {QStringLiteral("m_CreatorId"), QStringLiteral("<none>")},
        {QStringLiteral("m_GUID"), QStringLiteral("{01234567-89AB-CDEF-FEDC-BA9876543210}")},
        {QStringLiteral("m_IndexCRC32"), hex(stored.m_IndexCRC32)},
        {QStringLiteral("m_DataCRC32"), QStringLiteral("0x00ABCDEF")},
        {QStringLiteral("m_UtcBuildTime"), QStringLiteral("05/14(3)/2003, 17:04:09.120")},
    };
    EXPECT_EQ(RowsOf(*form.ValueListEditor1), expected);
    EXPECT_TRUE(hex(stored.m_DataOffset).startsWith(QStringLiteral("0x0000")));
}

TEST_F(VornInfoTest, NamedFlagsAndCreator)
{
    VornWriter writer;
    writer.header.m_Flags = 3;
    writer.header.m_CreatorId = {'V', 'V', 'T', 's'};
    const auto vorn = Write(writer);
    TfrmVornProperties form(*vorn);
    EXPECT_EQ(ValueOf(*form.ValueListEditor1, QStringLiteral("m_Flags")), QStringLiteral("NON_RETAIL; ALLOW_MULTIPLAYER_XFER; "));
    EXPECT_EQ(ValueOf(*form.ValueListEditor1, QStringLiteral("m_CreatorId")), QStringLiteral("VVTs"));
    EXPECT_EQ(form.ValueListEditor1->rowCount(), 16);
}

TEST_F(VornInfoTest, EscapeClosesFromAnyControl)
{
    VornWriter writer;
    const auto vorn = Write(writer);
    for (int page = 0; page < 2; ++page) {
        TfrmVornProperties form(*vorn);
        form.show();
        form.activateWindow();
        QWidget *target = page == 0 ? static_cast<QWidget *>(form.Memo1) : form.ValueListEditor1;
        form.pcTabs->setCurrentIndex(page);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible()) << "page " << page;
    }
}

namespace {

struct PropertiesTest : ::testing::Test {
    PropertiesTest()
    {
        VornWriter writer;
        art = writer.addDir(0, "art");
        maps = writer.addDir(art, "maps");
        packed = writer.addFile(maps, FileSpec{.name = "level.gas", .data = Bytes(1000, 'x'),
                                               .format = DATAFORMAT_ZLIB, .storedOverride = Bytes(250, 0)});
        grown = writer.addFile(art, FileSpec{.name = "noise", .data = Bytes(100, 1), .format = DATAFORMAT_LZO,
                                             .storedOverride = Bytes(150, 0)});
        raw = writer.addFile(0, FileSpec{.name = "plain.txt", .data = TextBytes("12345")});
        empty = writer.addFile(0, FileSpec{.name = "empty.dat", .format = DATAFORMAT_ZLIB});
        const std::string path = dir.filePath(QStringLiteral("p.vmres")).toStdString();
        writer.write(path);
        vorn = std::make_unique<TVornFile>(path);
        for (auto handle : {art, maps, packed, grown, raw, empty})
            offsets[handle] = writer.entryOffset(handle);
    }
    Rows Show(VornWriter::Handle which)
    {
        form.Fill(*vorn, offsets.at(which));
        return RowsOf(*form.vleProperties);
    }
    QTemporaryDir dir;
    VornWriter::Handle art, maps, packed, grown, raw, empty;
    std::map<VornWriter::Handle, TEntryOffset> offsets;
    std::unique_ptr<TVornFile> vorn;
    TfrmProperties form;
};

} // namespace

TEST_F(PropertiesTest, DirectoryHasThreeRows)
{
    const Rows expected = {{QStringLiteral("Name"), QStringLiteral("maps")},
                           {QStringLiteral("Type"), QStringLiteral("Directory")},
                           {QStringLiteral("Path"), QStringLiteral("\\art\\")}};
    EXPECT_EQ(Show(maps), expected);
}

TEST_F(PropertiesTest, PackedFileShowsSeventyFivePercent)
{
    const Rows expected = {{QStringLiteral("Name"), QStringLiteral("level.gas")},
                           {QStringLiteral("Type"), QStringLiteral("GAS File")},
                           {QStringLiteral("Path"), QStringLiteral("\\art\\maps\\")},
                           {QStringLiteral("Size"), QStringLiteral("1000")},
                           {QStringLiteral("Compression"), QStringLiteral("Zlib")},
                           {QStringLiteral("Compression Ratio"), QStringLiteral("75%")},
                           {QStringLiteral("Compressed size"), QStringLiteral("250")}};
    EXPECT_EQ(Show(packed), expected);
    // The dialog is reused: the next entry replaces the rows.
    EXPECT_EQ(Show(art).size(), 3u);
}

TEST_F(PropertiesTest, GrownRawAndEmptyFiles)
{
    const Rows grownRows = Show(grown);
    EXPECT_EQ(grownRows[1].second, QStringLiteral(" File")); // a name without a period
    EXPECT_EQ(grownRows[4].second, QStringLiteral("Lzo"));
    EXPECT_EQ(grownRows[5].second, QStringLiteral("-50%"));
    EXPECT_EQ(grownRows[6].second, QStringLiteral("150"));

    const Rows rawRows = Show(raw);
    EXPECT_EQ(rawRows[2].second, QStringLiteral("\\"));
    EXPECT_EQ(rawRows[4].second, QStringLiteral("Raw"));
    EXPECT_EQ(rawRows[5].second, QStringLiteral("None"));
    EXPECT_EQ(rawRows[6].second, QStringLiteral("5"));

    EXPECT_EQ(Show(empty)[5].second, QStringLiteral("None"));
}

TEST(PropertiesRatio, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(TfrmProperties::RatioText(200, 1, DATAFORMAT_ZLIB), QStringLiteral("100%")); // 99.5
    EXPECT_EQ(TfrmProperties::RatioText(200, 3, DATAFORMAT_ZLIB), QStringLiteral("98%"));  // 98.5
    EXPECT_EQ(TfrmProperties::RatioText(200, 5, DATAFORMAT_LZO), QStringLiteral("98%"));   // 97.5
    EXPECT_EQ(TfrmProperties::RatioText(8, 3, DATAFORMAT_ZLIB), QStringLiteral("62%"));    // 62.5
    EXPECT_EQ(TfrmProperties::RatioText(3, 1, DATAFORMAT_ZLIB), QStringLiteral("67%"));
    EXPECT_EQ(TfrmProperties::RatioText(0, 0, DATAFORMAT_ZLIB), QStringLiteral("None"));
    EXPECT_EQ(TfrmProperties::RatioText(10, 10, DATAFORMAT_RAW), QStringLiteral("None"));
}
