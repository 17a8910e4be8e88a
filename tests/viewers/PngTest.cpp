// Pictures written as PNG: a texture's pixels and alpha come back unchanged,
// through the extraction step and through the image viewer's "Save as PNG...".

#include "ViewerTestSupport.h"
#include "tests/support/DemoContent.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/ImageFormat.h"
#include "viewers/ImageFormatForm.h"
#include "viewers/PngConversion.h"
#include "viewers/ViewHandler.h"

#include <QImage>
#include <QTemporaryDir>

namespace {

constexpr int kWidth = 4;
constexpr int kHeight = 3;

// Every pixel differs, alpha runs through 0, 1, 127 and 255, and the pixels
// with alpha 0 still carry a colour that must survive.
Bytes Pixels()
{
    Bytes bgra;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const uint8_t alphas[] = {0, 1, 127, 255};
        bgra.insert(bgra.end(), {uint8_t(10 * i), uint8_t(200 - i), uint8_t(7 * i + 3), alphas[i % 4]});
    }
    return bgra;
}

void ExpectSamePixels(const QImage &written, const Bytes &bgra)
{
    ASSERT_EQ(written.size(), QSize(kWidth, kHeight));
    ASSERT_TRUE(written.hasAlphaChannel());
    const QImage plain = written.convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < kWidth * kHeight; ++i) {
        const int x = i % kWidth;
        const int y = kHeight - 1 - i / kWidth; // stored rows run bottom-up
        const uint8_t *p = &bgra[size_t(i) * 4];
        EXPECT_EQ(plain.pixel(x, y), qRgba(p[2], p[1], p[0], p[3])) << "pixel " << i;
    }
}

TFileBuffer Buffer(const Bytes &bytes)
{
    return MakeBuffer(QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())));
}

TEST(PngConversion, TextureKeepsItsPixelsAndAlpha)
{
    const TPngConversion conversion;
    ASSERT_TRUE(conversion.Claims("grass.raw"));
    EXPECT_FALSE(conversion.Claims("grass.RAW"));
    EXPECT_EQ(conversion.ConvertedName("grass.raw"), "grass.raw.png");
    const std::optional<TFileBuffer> png =
        conversion.Convert("grass.raw", Buffer(MakeRawTexture(kWidth, kHeight, Pixels())));
    ASSERT_TRUE(png);
    ExpectSamePixels(QImage::fromData(png->data(), int(png->size()), "PNG"), Pixels());
    // A texture that doesn't decode stays as it is.
    EXPECT_FALSE(conversion.Convert("bad.raw", Buffer({'i', 'p', 'a', 'R'})));
}

TEST_F(TViewerTest, ImageViewerSavesItsPictureAsPng)
{
    RegisterBuiltInFormats();
    ASSERT_EQ(ViewFile(Buffer(MakeRawTexture(kWidth, kHeight, Pixels())), QStringLiteral("t.raw"),
                       mainWindow.get()),
              TViewer::Format);
    const QList<TForm1 *> windows = OpenWindows<TForm1>();
    ASSERT_EQ(windows.size(), 1);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("t.png"));
    windows[0]->SaveAsPng(path);
    ExpectSamePixels(QImage(path, "PNG"), Pixels());
    EXPECT_THROW(windows[0]->SaveAsPng(folder.filePath(QStringLiteral("no/such/folder/t.png"))), std::exception);
}

} // namespace
