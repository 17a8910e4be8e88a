#include "ViewerTestSupport.h"
#include "viewers/FormTextViewer.h"
#include "viewers/ViewerText.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>

namespace {

QString Load(const QByteArray &bytes)
{
    return LoadViewerText(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
}

TEST(ViewerText, EachLineEndStyleEndsOneLine)
{
    const QString expected = QStringLiteral("one\ntwo\nthree");
    EXPECT_EQ(Load("one\r\ntwo\r\nthree"), expected);
    EXPECT_EQ(Load("one\ntwo\nthree"), expected);
    EXPECT_EQ(Load("one\rtwo\rthree"), expected);
    // LF then CR is two line ends.
    EXPECT_EQ(Load("one\n\rtwo"), QStringLiteral("one\n\ntwo"));
}

TEST(ViewerText, TextEndsAtTheFirstZeroByte)
{
    EXPECT_EQ(Load(QByteArray("shown\0hidden", 12)), QStringLiteral("shown"));
    EXPECT_EQ(Load(QByteArray("\0hidden", 7)), QString());
}

TEST(ViewerText, Utf8WhenValidElseWindows1252)
{
    EXPECT_EQ(Load("caf\xC3\xA9"), QStringLiteral(u"café"));
    EXPECT_EQ(Load("caf\xE9 \x80 \x93"), QStringLiteral(u"café € “"));
}

class TextViewer : public TViewerTest {
protected:
    TfrmViewerText *Open(const QByteArray &bytes)
    {
        ViewAsText(MakeBuffer(bytes), QStringLiteral("notes.txt"), mainWindow.get());
        const auto windows = OpenWindows<TfrmViewerText>();
        EXPECT_EQ(windows.size(), 1);
        return windows.value(0);
    }
};

TEST_F(TextViewer, ShowsTheTextReadOnlyWrappedAndTitled)
{
    TfrmViewerText *window = Open("first\rsecond\r" + Repeated('x', 5000));
    ASSERT_TRUE(window);
    auto *memo = window->findChild<QPlainTextEdit *>(QStringLiteral("memoMain"));
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->document()->blockCount(), 3);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("notes.txt - Text Viewer"));
    EXPECT_EQ(window->parentWidget(), mainWindow.get());
}

TEST_F(TextViewer, EscapeClosesEvenWhenTheTextHasTheFocus)
{
    TfrmViewerText *window = Open("hello");
    ASSERT_TRUE(window);
    QPointer<TfrmViewerText> guard(window);
    QTest::keyClick(window->findChild<QPlainTextEdit *>(QStringLiteral("memoMain")), Qt::Key_Escape);
    FlushDeletes();
    EXPECT_TRUE(guard.isNull());
}

} // namespace
