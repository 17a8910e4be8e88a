#include "ViewerTestSupport.h"
#include "plugins-example/WaveHeader.h"
#include "viewers/FormHexViewer.h"
#include "viewers/FormatPlugin.h"
#include "viewers/ViewHandler.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace {

QByteArray U16(uint16_t value)
{
    const char bytes[] = {char(value & 0xFF), char(value >> 8)};
    return QByteArray(bytes, 2);
}

QByteArray U32(uint32_t value)
{
    return U16(uint16_t(value & 0xFFFF)) + U16(uint16_t(value >> 16));
}

// A PCM wave: 2 channels, 8000 Hz, 16 bits, one second of silence.
QByteArray WaveFile()
{
    const QByteArray format = U16(1) + U16(2) + U32(8000) + U32(32000) + U16(4) + U16(16);
    const QByteArray sound(32000, '\0');
    QByteArray body = "WAVE" + QByteArray("fmt ") + U32(16) + format + "data" + U32(32000) + sound;
    return "RIFF" + U32(uint32_t(body.size())) + body;
}

TEST(WaveHeader, ReadsTheFormatAndChecksEverySize)
{
    const QByteArray wave = WaveFile();
    const auto *bytes = reinterpret_cast<const uint8_t *>(wave.constData());
    const auto header = ReadWaveHeader(bytes, wave.size());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->channels, 2);
    EXPECT_EQ(header->sampleRate, 8000u);
    EXPECT_DOUBLE_EQ(header->Seconds(), 1.0);
    // Cut inside the format chunk: not a wave file.
    EXPECT_FALSE(ReadWaveHeader(bytes, 30));
    // Cut inside the sound: only what is there counts.
    EXPECT_EQ(ReadWaveHeader(bytes, 44 + 100)->dataSize, 100u);
    EXPECT_FALSE(ReadWaveHeader(reinterpret_cast<const uint8_t *>("RIFX"), 4));
}

using ExamplePlugin = TViewerTest;

TEST_F(ExamplePlugin, ShowsWaveFilesAndDeclinesOthers)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(QStringLiteral(VV_EXAMPLE_PLUGIN), folder.filePath(QStringLiteral("wavinfo.so"))));
    ASSERT_EQ(LoadPlugins(folder.path()), 1);
    EXPECT_EQ(GetFormatDescription(QStringLiteral("boom.wav")), QStringLiteral("Wave Sound"));
    EXPECT_EQ(GetFormatIconIndex(QStringLiteral("boom.wav")), 10);

    EXPECT_EQ(ViewFile(MakeBuffer(WaveFile()), QStringLiteral("boom.wav"), mainWindow.get()),
              TViewer::Format);
    QWidget *info = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->windowTitle() == QStringLiteral("boom.wav - Wave Info"))
            info = window;
    }
    ASSERT_TRUE(info);
    delete info;

    EXPECT_EQ(ViewFile(MakeBuffer(QByteArray("\0\1 not a wave", 13)), QStringLiteral("odd.wav"),
                       mainWindow.get()),
              TViewer::Hex);
}

TEST_F(ExamplePlugin, FillsThePreviewPaneWithTheSameRows)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(QStringLiteral(VV_EXAMPLE_PLUGIN), folder.filePath(QStringLiteral("wavinfo.so"))));
    ASSERT_EQ(LoadPlugins(folder.path()), 1);
    TAbstractFormat *format = FindClaimingFormat(QStringLiteral(".wav"));
    ASSERT_TRUE(format);
    QWidget container;
    ASSERT_TRUE(format->RenderPreview(QStringLiteral("boom.wav"), MakeBuffer(WaveFile()), &container));
    QStringList texts;
    for (const QLabel *label : container.findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("8000 Hz"))) << texts.join(u'|').toStdString();
    EXPECT_FALSE(format->RenderPreview(QStringLiteral("odd.wav"), MakeBuffer("not a wave"), &container));
}

} // namespace
