#include "browser/ListSelection.h"

#include "archive/vmVornFile.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/find/SearchResultModel.h"
#include "engines/NameIndex.h"
#include "tests/browser/BrowserFixture.h"

#include <QItemSelectionModel>
#include <QSignalSpy>

#include <memory>

namespace {

class ListSelectionTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        a = std::make_unique<TVornFile>(WriteSample(QStringLiteral("a.vmres")).toStdString());
        b = std::make_unique<TVornFile>(WriteSample(QStringLiteral("b.vmres")).toStdString());
        view = std::make_unique<TFileListView>();
        list = std::make_unique<TListSelection>(*view, listing);
    }

    // Selects the rows of the shown list whose names are given.
    void Select(const QStringList &names)
    {
        const TEntryListModel *model = list->Model();
        QItemSelection chosen;
        for (int row = 0; row < model->rowCount(); ++row)
            if (names.contains(model->NameAt(row)))
                chosen.select(model->index(row, 0), model->index(row, model->columnCount() - 1));
        list->SelectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
    }

    TEntryOffset Child(const TVornFile &vorn, TEntryOffset folder, const std::string &name) const
    {
        for (const TEntryOffset child : vorn.GetChildren(folder))
            if (vorn.GetName(child) == name)
                return child;
        return 0;
    }

    // Search results: every entry of both archives whose name has an "o".
    void FillResults(TSearchResultModel &results, TNameIndex &indexA, TNameIndex &indexB)
    {
        uint32_t k = 0;
        for (const TNameIndex *index : {&indexA, &indexB}) {
            results.AddArchive(*index, QString::number(k));
            std::vector<uint32_t> items;
            for (uint32_t i = 0; i < index->Count(); ++i)
                if (index->Name(i).find('o') != std::string_view::npos)
                    items.push_back(i);
            results.AppendRows(k++, items);
        }
    }

    std::unique_ptr<TVornFile> a, b;
    TFileListModel listing;
    std::unique_ptr<TFileListView> view;
    std::unique_ptr<TListSelection> list;
};

TEST_F(ListSelectionTest, AFolderListingAnswersWithItsArchiveAndFolder)
{
    const TEntryOffset art = Child(*a, a->GetRootOffset(), "art");
    listing.FillFileList(a.get(), a->GetRootOffset());
    EXPECT_TRUE(list->ShowsListing());
    Select({QStringLiteral("readme.txt"), QStringLiteral("art")});
    ASSERT_EQ(list->Count(), 2);
    const std::vector<TListSelection::TRow> rows = list->SelectedRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, QStringLiteral("art")); // list order: folders first
    EXPECT_TRUE(rows[0].IsFolder);
    EXPECT_EQ(rows[1].Name, QStringLiteral("readme.txt"));
    EXPECT_FALSE(rows[1].IsFolder);
    for (const TListSelection::TRow &row : rows) {
        EXPECT_EQ(row.Vorn, a.get());
        EXPECT_EQ(row.Folder, a->GetRootOffset());
    }
    EXPECT_FALSE(list->Single());
    const std::vector<TEntryGroup> groups = list->Groups();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].Entries, (std::vector<TEntryOffset>{art, Child(*a, a->GetRootOffset(), "readme.txt")}));
    EXPECT_EQ(list->Files().Names, (QStringList{QStringLiteral("art"), QStringLiteral("readme.txt")}));

    Select({QStringLiteral("art")});
    ASSERT_TRUE(list->Single());
    EXPECT_FALSE(list->SingleFile()); // a folder
    // A new listing empties the selection without a selectionChanged: the
    // count must not be the cached one.
    listing.FillFileList(a.get(), art);
    EXPECT_EQ(list->Count(), 0);
    Select({QStringLiteral("logo.bmp")});
    ASSERT_TRUE(list->SingleFile());
    EXPECT_EQ(list->SingleFile()->Folder, art);
    EXPECT_EQ(list->SingleFile()->Entry, Child(*a, art, "logo.bmp"));
}

TEST_F(ListSelectionTest, SearchResultsAnswerTheSameQuestionsAcrossArchives)
{
    listing.FillFileList(a.get(), a->GetRootOffset());
    Select({QStringLiteral("readme.txt")});
    ASSERT_EQ(list->Count(), 1);
    TNameIndex indexA(*a), indexB(*b);
    TSearchResultModel results;
    FillResults(results, indexA, indexB);
    QSignalSpy shown(list.get(), &TListSelection::modelChanged);
    list->Show(&results);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_FALSE(list->ShowsListing());
    EXPECT_EQ(list->Count(), 0); // a list of its own, nothing selected yet

    Select({QStringLiteral("logo.bmp"), QStringLiteral("sound")});
    const std::vector<TEntryGroup> groups = list->Groups();
    ASSERT_EQ(groups.size(), 2u); // one run per archive
    for (const TEntryGroup &group : groups) {
        EXPECT_EQ(group.Folder, group.Vorn->GetRootOffset()); // each result keeps its folder names
        ASSERT_EQ(group.Entries.size(), 2u);
    }
    EXPECT_NE(groups[0].Vorn, groups[1].Vorn);
    EXPECT_EQ(list->Files().Names.size(), 4);

    Select({QStringLiteral("sound")});
    ASSERT_EQ(list->Count(), 2); // "sound" of a and of b
    Select({});
    list->SelectEntry(b.get(), Child(*b, b->GetRootOffset(), "sound"));
    ASSERT_TRUE(list->Single());
    EXPECT_EQ(list->Single()->Vorn, b.get());
    EXPECT_TRUE(list->Single()->IsFolder);
    EXPECT_FALSE(list->SingleFile());

    list->ShowListing();
    EXPECT_TRUE(list->ShowsListing());
    EXPECT_EQ(list->Model(), &listing);
    EXPECT_EQ(shown.count(), 2);
}

} // namespace
