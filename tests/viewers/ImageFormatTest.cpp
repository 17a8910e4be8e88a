#include "ViewerTestSupport.h"
#include "archive/Exceptions.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/ImageFormat.h"
#include "viewers/ImageFormatForm.h"
#include "viewers/RawFormat.h"
#include "viewers/ViewHandler.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QTest>

namespace {

QByteArray RawHeader(uint16_t surfaces, uint16_t width, uint16_t height)
{
    QByteArray header("ipaR8888\0\0", 10);
    for (uint16_t value : {surfaces, width, height}) {
        header.append(char(value & 0xFF));
        header.append(char(value >> 8));
    }
    return header;
}

QByteArray Pixel(uint8_t blue, uint8_t green, uint8_t red, uint8_t alpha)
{
    const char bytes[] = {char(blue), char(green), char(red), char(alpha)};
    return QByteArray(bytes, 4);
}

QByteArray BitmapFile(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(1, 2, 3));
    QByteArray bytes;
    QBuffer device(&bytes);
    device.open(QIODevice::WriteOnly);
    picture.save(&device, "BMP");
    return bytes;
}

void ExpectDeclined(const QByteArray &bytes, const char *message)
{
    try {
        TRawFormat::DecodeTexture(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
        ADD_FAILURE() << "accepted, expected " << message;
    } catch (const Exception &error) {
        EXPECT_STREQ(error.what(), message);
    }
}

TEST(RawTexture, HeaderRulesInTheirOrder)
{
    const QByteArray pixels = Pixel(1, 2, 3, 4);
    ExpectDeclined("ipaX8888" + RawHeader(1, 1, 1).mid(8) + pixels, "Invalid file!");
    ExpectDeclined("ipaR", "Invalid file!");
    ExpectDeclined("ipaR8880" + RawHeader(0, 1, 1).mid(8) + pixels, "Unsupported Pixelformat!");
    ExpectDeclined(RawHeader(0, 1, 1) + pixels, "No surface present!");
    ExpectDeclined(RawHeader(1, 0, 1), "Texture has no pixels!");
    // Shorter than the header says: declined, never read past the data.
    ExpectDeclined(RawHeader(1, 2, 2) + pixels + pixels + pixels, "Texture data is incomplete!");
}

TEST(RawTexture, FirstStoredRowIsTheBottomRow)
{
    const QByteArray bytes = RawHeader(3, 2, 2) + Pixel(10, 0, 0, 255) + Pixel(20, 0, 0, 255)
                             + Pixel(30, 0, 0, 255) + Pixel(40, 0, 0, 0)
                             + Repeated('\x7F', 32); // two more surfaces, not read
    const QImage picture =
        TRawFormat::DecodeTexture(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
    ASSERT_EQ(picture.size(), QSize(2, 2));
    EXPECT_EQ(qBlue(picture.pixel(0, 1)), 10); // bottom-left
    EXPECT_EQ(qBlue(picture.pixel(1, 1)), 20); // bottom-right
    EXPECT_EQ(qBlue(picture.pixel(0, 0)), 30); // top-left
    EXPECT_EQ(qBlue(picture.pixel(1, 0)), 40); // top-right
    EXPECT_EQ(qAlpha(picture.pixel(1, 0)), 0); // alpha is carried
}

class ImageViewer : public TViewerTest {
protected:
    void SetUp() override
    {
        TViewerTest::SetUp();
        RegisterBuiltInFormats();
    }
};

TEST_F(ImageViewer, TextureWindowShowsPixelsOpaqueAtTheirPlaces)
{
    const QByteArray bytes = RawHeader(1, 2, 2) + Pixel(10, 0, 0, 255) + Pixel(20, 0, 0, 255)
                             + Pixel(30, 0, 0, 255) + Pixel(40, 50, 60, 0);
    EXPECT_EQ(ViewFile(MakeBuffer(bytes), QStringLiteral("tex.raw"), mainWindow.get()),
              TViewer::Format);
    const auto windows = OpenWindows<TForm1>();
    ASSERT_EQ(windows.size(), 1);
    TForm1 *window = windows[0];
    EXPECT_EQ(window->windowTitle(), QStringLiteral("tex.raw - Image Viewer"));
    EXPECT_EQ(window->size(), QSize(150, 150));
    EXPECT_EQ(window->parentWidget(), mainWindow.get());
    auto *image1 = window->findChild<QLabel *>(QStringLiteral("Image1"));
    ASSERT_TRUE(image1);
    EXPECT_EQ(image1->pos(), QPoint(0, 0));
    const QImage shown = image1->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(0, 1)), QColor(0, 0, 10));
    EXPECT_EQ(QColor(shown.pixel(1, 0)), QColor(60, 50, 40)); // alpha 0, drawn opaque
}

TEST_F(ImageViewer, BitmapWindowIsTenPixelsLargerThanThePicture)
{
    EXPECT_EQ(ViewFile(MakeBuffer(BitmapFile(200, 100)), QStringLiteral("pic.bmp"), mainWindow.get()),
              TViewer::Format);
    const auto windows = OpenWindows<TForm1>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0]->size(), QSize(210, 150));
    EXPECT_EQ(windows[0]->Picture().size(), QSize(200, 100));
    EXPECT_EQ(windows[0]->windowTitle(), QStringLiteral("pic.bmp - Image Viewer"));
}

TEST_F(ImageViewer, EscapeClosesTheImageWindow)
{
    ViewFile(MakeBuffer(BitmapFile(4, 4)), QStringLiteral("pic.bmp"), mainWindow.get());
    ASSERT_EQ(OpenWindows<TForm1>().size(), 1);
    QWidget *scrollBox = OpenWindows<TForm1>()[0]->findChild<QWidget *>(QStringLiteral("ScrollBox1"));
    QTest::keyClick(scrollBox, Qt::Key_Escape);
    FlushDeletes();
    EXPECT_TRUE(OpenWindows<TForm1>().isEmpty());
}

TEST(ImageWindowSize, NeverBelow150)
{
    EXPECT_EQ(TForm1::ClientSizeFor(QSize(64, 64)), QSize(150, 150));
    EXPECT_EQ(TForm1::ClientSizeFor(QSize(640, 480)), QSize(650, 490));
}

} // namespace
