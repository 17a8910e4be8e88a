#include "BufferTracker.h"
#include "ViewerTestSupport.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/FormHexViewer.h"
#include "viewers/FormTextViewer.h"
#include "viewers/ImageFormat.h"
#include "viewers/ImageFormatForm.h"
#include "viewers/ViewHandler.h"

#include <QBuffer>
#include <QImage>
#include <QPlainTextEdit>

namespace {

QByteArray BitmapFile()
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    picture.save(&device, "BMP");
    return bytes;
}

QByteArray Binary()
{
    return QByteArray("\x01\x02\x03\x00\xFF binary", 12);
}

// Views the bytes under the name and reports the viewer used and how often
// the buffer was freed by the time ViewFile returned.
class ViewDispatch : public TTrackedViewTest {
protected:
    void SetUp() override
    {
        TTrackedViewTest::SetUp();
        RegisterBuiltInFormats();
    }
};

TEST_F(ViewDispatch, ClaimedBitmapOpensTheImageViewerAndIsFreedOnce)
{
    EXPECT_EQ(View(BitmapFile(), QStringLiteral("pic.bmp")), TViewer::Format);
    EXPECT_EQ(OpenWindows<TForm1>().size(), 1);
    EXPECT_EQ(OpenViewerCount(), 1);
    EXPECT_EQ(Frees(), 1);
}

TEST_F(ViewDispatch, ClaimedTextureOpensTheImageViewerAndIsFreedOnce)
{
    QByteArray texture("ipaR8888\0\0\1\0\1\0\1\0", 16);
    texture += QByteArray("\1\2\3\4", 4);
    EXPECT_EQ(View(texture, QStringLiteral("t.raw")), TViewer::Format);
    EXPECT_EQ(OpenWindows<TForm1>().size(), 1);
    EXPECT_EQ(Frees(), 1);
}

TEST_F(ViewDispatch, UnclaimedTextOpensTheTextViewerWhichFreesAtOnce)
{
    EXPECT_EQ(View("plain words\r\n", QStringLiteral("read.me")), TViewer::Text);
    EXPECT_EQ(OpenWindows<TfrmViewerText>().size(), 1);
    EXPECT_EQ(OpenViewerCount(), 1);
    EXPECT_EQ(Frees(), 1);
}

TEST_F(ViewDispatch, BinaryOpensTheHexViewerWhichFreesWhenClosed)
{
    EXPECT_EQ(View(Binary(), QStringLiteral("data.bin")), TViewer::Hex);
    const auto windows = OpenWindows<TfrmViewerHex>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(OpenViewerCount(), 1);
    EXPECT_EQ(Frees(), 0);
    windows[0]->close();
    FlushDeletes();
    EXPECT_EQ(Frees(), 1);
}

TEST_F(ViewDispatch, EmptyFileOpensAnEmptyHexViewer)
{
    EXPECT_EQ(ViewFile(TFileBuffer(), QStringLiteral("empty.txt"), mainWindow.get()), TViewer::Hex);
    EXPECT_EQ(OpenWindows<TfrmViewerHex>().size(), 1);
}

TEST_F(ViewDispatch, OnlyTheFirst1024BytesDecideText)
{
    QByteArray bytes = Repeated('a', 2000);
    bytes[1500] = '\0';
    bytes[1600] = '\x01';
    EXPECT_EQ(View(bytes, QStringLiteral("long.dat")), TViewer::Text);
    auto *memo = OpenWindows<TfrmViewerText>().value(0)->findChild<QPlainTextEdit *>();
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->toPlainText().size(), 1500);

    QByteArray early = Repeated('a', 2000);
    early[1023] = '\x0C';
    EXPECT_FALSE(IsTextData(reinterpret_cast<const uint8_t *>(early.constData()), early.size()));
    early[1023] = 'a';
    early[1024] = '\x0C'; // the first byte past the window
    EXPECT_TRUE(IsTextData(reinterpret_cast<const uint8_t *>(early.constData()), early.size()));
    const QByteArray allowed("\t\n\r \x7F\x80\xFF", 7);
    EXPECT_TRUE(IsTextData(reinterpret_cast<const uint8_t *>(allowed.constData()), allowed.size()));
    EXPECT_FALSE(IsTextData(reinterpret_cast<const uint8_t *>(allowed.constData()), 0));
}

TEST_F(ViewDispatch, UpperCaseBitmapNameIsNotClaimed)
{
    EXPECT_EQ(View(BitmapFile(), QStringLiteral("PIC.BMP")), TViewer::Hex);
    EXPECT_TRUE(OpenWindows<TForm1>().isEmpty());
}

TEST_F(ViewDispatch, BadTextureFallsBackSilentlyWithTheSameBuffer)
{
    EXPECT_EQ(View("ipaX not really a texture", QStringLiteral("x.raw")), TViewer::Text);
    EXPECT_EQ(Frees(), 1);
    EXPECT_EQ(View(QByteArray("ipaR8888\0\0\1\0\2\0\2\0\1\2", 18), QStringLiteral("short.raw")),
              TViewer::Hex);
    EXPECT_TRUE(OpenWindows<TForm1>().isEmpty());
    EXPECT_EQ(OpenViewerCount(), 2);
}

TEST_F(ViewDispatch, UndecodableBitmapShowsNothingAndIsFreedOnce)
{
    EXPECT_EQ(View("BM but not a bitmap", QStringLiteral("bad.bmp")), TViewer::None);
    EXPECT_EQ(OpenViewerCount(), 0);
    EXPECT_EQ(Frees(), 1);
    EXPECT_EQ(ViewFile(TFileBuffer(), QStringLiteral("empty.bmp"), mainWindow.get()), TViewer::None);
    EXPECT_EQ(OpenViewerCount(), 0);
}

} // namespace
