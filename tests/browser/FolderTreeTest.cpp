// The folder tree makes a folder's nodes only when it is expanded or a search
// passes through it; these tests check that what it makes is the whole tree
// it always showed, damaged indexes included, and that the window reaches a
// deep folder through it.
#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/FolderLayout.h"
#include "browser/FolderTree.h"
#include "browser/FormMain.h"
#include "tests/browser/BrowserFixture.h"

#include <QLabel>

#include <memory>

namespace {

class FolderTreeTest : public BrowserTest {
protected:
    // Opens the archive and adds it to a new tree as the window does.
    QTreeWidgetItem *Add(const std::string &path)
    {
        m_vorn = std::make_unique<TVornFile>(path);
        m_tree = std::make_unique<TFolderTree>();
        return AddOther(*m_vorn);
    }

    static QStringList Texts(const QTreeWidgetItem *node)
    {
        QStringList texts;
        for (int i = 0; i < node->childCount(); ++i)
            texts << node->child(i)->text(0);
        return texts;
    }

    // The node's text and those above it up to the archive's node.
    static QStringList Chain(const QTreeWidgetItem *node)
    {
        QStringList texts;
        for (; node; node = node->parent())
            texts.prepend(node->text(0));
        return texts;
    }

    static QStringList Words(const char *text) { return QString::fromLatin1(text).split(u' '); }

    // Lets the tree make its pending slices; `node` has `count` children then.
    static void RunSlices(const QTreeWidgetItem *node, int count)
    {
        for (int pass = 0; pass < 1000 && node->childCount() < count; ++pass)
            QCoreApplication::processEvents();
    }

    // Folders f0, f1, ... side by side: more than two slices of nodes.
    static constexpr int ManyFolders = 2 * TFolderTree::NodesPerSlice + 3;
    std::string WriteFlat(const QString &name) const
    {
        VornWriter writer;
        for (int i = 0; i < ManyFolders; ++i)
            writer.addDir(0, "f" + std::to_string(i));
        return Write(writer, name).toStdString();
    }

    QTreeWidgetItem *AddOther(TVornFile &vorn)
    {
        QTreeWidgetItem *node = m_tree->AddArchiveNode(vorn, QStringLiteral("x.vmres"));
        m_tree->AddFolderNodes(node, std::make_shared<const TFolderLayout>(vorn));
        return node;
    }

    static bool ShowsArrow(const QTreeWidgetItem *node)
    {
        return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator || node->childCount() > 0;
    }

    std::unique_ptr<TVornFile> m_vorn;
    std::unique_ptr<TFolderTree> m_tree;
    TRecordingSeam m_seam;
};

TEST_F(FolderTreeTest, SubfolderNodesAreMadeWhenExpandedOrReached)
{
    VornWriter writer;
    const auto a = writer.addDir(0, "a");
    const auto c = writer.addDir(writer.addDir(a, "b"), "c");
    const auto d = writer.addDir(c, "d");
    writer.addDir(a, "b2");
    const auto e = writer.addDir(0, "e");
    const auto file = writer.addFile(d, FileSpec{.name = "f.txt", .data = TextBytes("f")});
    QTreeWidgetItem *top = Add(Write(writer, QStringLiteral("x.vmres")).toStdString());

    // Only the root's subfolders at first; an arrow where there is more.
    ASSERT_EQ(Texts(top), (QStringList{QStringLiteral("a"), QStringLiteral("e")}));
    QTreeWidgetItem *nodeA = top->child(0);
    EXPECT_EQ(nodeA->childCount(), 0);
    EXPECT_TRUE(ShowsArrow(nodeA));
    EXPECT_FALSE(ShowsArrow(top->child(1)));

    // Reaching a deep folder makes the nodes on the way, in stored order.
    QTreeWidgetItem *nodeD = m_tree->FindFolderNode(writer.entryOffset(d), top);
    ASSERT_NE(nodeD, nullptr);
    EXPECT_EQ(TFolderTree::NodeOffset(nodeD), writer.entryOffset(d));
    EXPECT_EQ(Chain(nodeD), Words("x.vmres a b c d"));
    EXPECT_EQ(Texts(nodeA), (QStringList{QStringLiteral("b"), QStringLiteral("b2")}));
    EXPECT_FALSE(ShowsArrow(nodeD));
    EXPECT_EQ(m_tree->FindFolderNode(writer.entryOffset(c), top), nodeD->parent());

    // Expanding makes a folder's nodes once; files and the root have no node of their own.
    nodeA->setExpanded(true);
    top->child(1)->setExpanded(true);
    EXPECT_EQ(nodeA->childCount(), 2);
    EXPECT_EQ(top->child(1)->childCount(), 0);
    EXPECT_EQ(m_tree->FindFolderNode(writer.entryOffset(e), top), top->child(1));
    EXPECT_EQ(m_tree->FindFolderNode(writer.entryOffset(file), top), nullptr);
    EXPECT_EQ(m_tree->FindFolderNode(m_vorn->GetRootOffset(), top), top);
}

TEST_F(FolderTreeTest, ManySubfoldersComeInSlicesAndAFolderReachedEarlyIsMadeAtOnce)
{
    QTreeWidgetItem *top = Add(WriteFlat(QStringLiteral("flat.vmres")));
    const std::vector<TEntryOffset> folders = m_vorn->GetChildren(m_vorn->GetRootOffset());
    EXPECT_EQ(top->childCount(), TFolderTree::NodesPerSlice);
    const int late = ManyFolders - 1; // its slice is not made yet
    QTreeWidgetItem *node = m_tree->FindFolderNode(folders[late], top);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), QStringLiteral("f%1").arg(late));
    top->setExpanded(true);
    RunSlices(top, ManyFolders);
    ASSERT_EQ(top->childCount(), ManyFolders);
    EXPECT_EQ(top->child(late), node);
    EXPECT_EQ(TFolderTree::NodeOffset(top->child(0)), folders.front());
}

TEST_F(FolderTreeTest, ClosingArchivesWhileTheirSlicesArePending)
{
    QTreeWidgetItem *first = Add(WriteFlat(QStringLiteral("one.vmres")));
    TVornFile second(WriteFlat(QStringLiteral("two.vmres")));
    TVornFile third(WriteFlat(QStringLiteral("three.vmres")));
    AddOther(second);
    QTreeWidgetItem *last = AddOther(third);
    // The first is finished by a search and the second closed while they
    // wait: the third still gets all its nodes.
    m_tree->FindFolderNode(m_vorn->GetChildren(m_vorn->GetRootOffset()).back(), first);
    m_tree->RemoveArchive(&second);
    RunSlices(last, ManyFolders);
    EXPECT_EQ(last->childCount(), ManyFolders);
    AddOther(second);
    m_tree->RemoveAll();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_tree->topLevelItemCount(), 0);
}

TEST_F(FolderTreeTest, ALoopingIndexPlacesEachFolderOnce)
{
    // "top" lists itself, "mid" lists "top" above it, and "other" is listed
    // by the root and by "leaf": each gets one node, below the first folder
    // found to list it.
    VornWriter writer;
    const auto topDir = writer.addDir(0, "top");
    const auto mid = writer.addDir(topDir, "mid");
    const auto leaf = writer.addDir(mid, "leaf");
    const auto other = writer.addDir(0, "other");
    const auto self = writer.addFile(topDir, FileSpec{.name = "1.txt", .data = TextBytes("1")});
    const auto up = writer.addFile(mid, FileSpec{.name = "2.txt", .data = TextBytes("2")});
    const auto across = writer.addFile(leaf, FileSpec{.name = "3.txt", .data = TextBytes("3")});
    Bytes bytes = writer.build();
    const auto patch = [&](VornWriter::Handle folder, VornWriter::Handle from, VornWriter::Handle to) {
        PatchU32(bytes, writer.indexStart() + writer.entryOffset(folder) + DIRENTRY_NAME_POS,
                 writer.entryOffset(from), writer.entryOffset(to));
    };
    patch(topDir, self, topDir);
    patch(mid, up, topDir);
    patch(leaf, across, other);
    const QString path = Path(QStringLiteral("loop.vmres"));
    WriteBytes(path.toStdString(), bytes);
    QTreeWidgetItem *top = Add(path.toStdString());

    m_tree->expandAll();
    EXPECT_EQ(Texts(top), (QStringList{QStringLiteral("top"), QStringLiteral("other")}));
    EXPECT_EQ(Texts(top->child(0)), QStringList{QStringLiteral("mid")});
    QTreeWidgetItem *nodeLeaf = m_tree->FindFolderNode(writer.entryOffset(leaf), top);
    ASSERT_NE(nodeLeaf, nullptr);
    EXPECT_EQ(Chain(nodeLeaf), Words("x.vmres top mid leaf"));
    EXPECT_EQ(nodeLeaf->childCount(), 0);
    EXPECT_FALSE(ShowsArrow(top->child(1)));
    EXPECT_EQ(m_tree->FindFolderNode(writer.entryOffset(other), top), top->child(1));
}

TEST_F(FolderTreeTest, AFolderTreeThatCantBeReadFailsTheOpenOnTheWorker)
{
    VornWriter writer;
    const auto bad = writer.addDir(writer.addDir(writer.addDir(0, "outer"), "inner"), "bad");
    writer.addFile(bad, FileSpec{.name = "g.txt", .data = TextBytes("g")});
    Bytes bytes = writer.build();
    PutU32(bytes, writer.indexStart() + writer.entryOffset(bad) + 4, 0x10000000); // its child count
    const QString path = Path(QStringLiteral("broken.vmres"));
    WriteBytes(path.toStdString(), bytes);

    TBrowserSession session;
    std::exception_ptr failure;
    session.BeginOpen(path, [&](TVornFile *, std::exception_ptr error) { failure = error; });
    session.Opens().Wait();
    EXPECT_NE(failure, nullptr);
    EXPECT_TRUE(session.OpenVorns().empty());

    const TVornFile &good = session.Open(WriteSample(QStringLiteral("a.vmres")));
    ASSERT_NE(session.FoldersOf(&good), nullptr);
    EXPECT_EQ(session.FoldersOf(&good)->Count(), 4u); // the root, art, maps, sound
    const std::atomic<bool> cancelled = true; // a dropped open stops its walk
    EXPECT_THROW(TFolderLayout(good, &cancelled), EAbort);

    // A file name in the root that can't be read opens as before; the root
    // just has no name order (listing the root reports the name).
    VornWriter named;
    named.addDir(0, "d");
    const auto file = named.addFile(0, FileSpec{.name = "n.txt", .data = TextBytes("n")});
    Bytes damaged = named.build();
    PutU16(damaged, named.indexStart() + named.entryOffset(file) + FILEENTRY_NAME_POS, 0xFFFF);
    WriteBytes(Path(QStringLiteral("name.vmres")).toStdString(), damaged);
    const TVornFile &withBadName = session.Open(Path(QStringLiteral("name.vmres")));
    EXPECT_TRUE(session.FoldersOf(&withBadName)->RootByName().empty());
    EXPECT_EQ(session.FoldersOf(&withBadName)->Count(), 2u);
    session.Close(&good);
    EXPECT_EQ(session.FoldersOf(&good), nullptr);
}

TEST_F(FolderTreeTest, TheWindowGoesToADeepFolderAndBackUp)
{
    VornWriter writer;
    VornWriter::Handle folder = 0;
    std::vector<VornWriter::Handle> chain;
    for (int depth = 0; depth < 6; ++depth) {
        for (int sibling = 1; sibling < 3; ++sibling)
            writer.addDir(folder, "s" + std::to_string(depth) + "_" + std::to_string(sibling));
        folder = writer.addDir(folder, "d" + std::to_string(depth));
        chain.push_back(folder);
    }
    writer.addFile(folder, FileSpec{.name = "deep.txt", .data = TextBytes("deep")});
    const QString path = Write(writer, QStringLiteral("deep.vmres"));
    TfrmMain window({path}, &m_seam);
    const TVornFile *vorn = window.Session().ActiveVorn();
    ASSERT_NE(vorn, nullptr);

    // Find's "Go to folder" and a folder row's double click come this way.
    window.ShowFolderOf(vorn, writer.entryOffset(chain.back()));
    QTreeWidgetItem *current = window.trvFolders->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(0), QStringLiteral("d5"));
    EXPECT_TRUE(current->parent()->isExpanded());
    EXPECT_EQ(window.lblVornPath->text(), QStringLiteral("deep.vmres\\d0\\d1\\d2\\d3\\d4\\d5\\"));
    EXPECT_EQ(window.Session().CurrentFolder(), writer.entryOffset(chain.back()));

    window.lsvMainKeyPress(8); // Backspace
    EXPECT_EQ(window.trvFolders->currentItem(), current->parent());
    EXPECT_EQ(window.lblVornPath->text(), QStringLiteral("deep.vmres\\d0\\d1\\d2\\d3\\d4\\"));
    EXPECT_TRUE(m_seam.errors.isEmpty());
}

} // namespace
