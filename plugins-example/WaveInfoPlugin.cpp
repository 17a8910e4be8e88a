// Example format plug-in for VornViewer: claims ".wav" files and shows their
// sound format in a small window of its own, and in the main window's
// preview pane. Files that are not RIFF/WAVE are declined, so the program
// shows them in its own text or hex viewer.

#include "plugins-example/WaveHeader.h"
#include "viewers/PluginContract.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QWidget>
#include <cstring>

namespace {

QString FormatName(uint16_t formatTag)
{
    switch (formatTag) {
    case 1: return QString::fromLatin1("PCM");
    case 3: return QString::fromLatin1("IEEE float");
    case 0x11: return QString::fromLatin1("IMA ADPCM");
    case 0x55: return QString::fromLatin1("MPEG Layer 3");
    default: return QString::fromLatin1("Format 0x%1").arg(formatTag, 4, 16, QLatin1Char('0'));
    }
}

QString Duration(double seconds)
{
    const int whole = int(seconds);
    return QString::fromLatin1("%1:%2.%3")
        .arg(whole / 60)
        .arg(whole % 60, 2, 10, QLatin1Char('0'))
        .arg(int((seconds - whole) * 1000), 3, 10, QLatin1Char('0'));
}

// Fills `widget` with one row per property of the sound.
void AddWaveRows(QWidget *widget, const TWaveHeader &header)
{
    auto *layout = new QFormLayout(widget);
    const auto addRow = [&](const char *label, const QString &value) {
        layout->addRow(QString::fromLatin1(label), new QLabel(value, widget));
    };
    addRow("Format:", FormatName(header.formatTag));
    addRow("Channels:", QString::number(header.channels));
    addRow("Sample rate:", QString::fromLatin1("%1 Hz").arg(header.sampleRate));
    addRow("Bits per sample:", QString::number(header.bitsPerSample));
    addRow("Sound data:", QString::fromLatin1("%1 bytes").arg(header.dataSize));
    addRow("Length:", Duration(header.Seconds()));
}

void ShowWaveWindow(const char *fileName, const TWaveHeader &header)
{
    // Plain Qt widgets, no classes of our own: the window needs no code from
    // this library once it is built.
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setWindowTitle(QString::fromLatin1(fileName) + QString::fromLatin1(" - Wave Info"));
    AddWaveRows(window, header);
    window->show();
}

} // namespace

extern "C" {

VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL InternalView(const char *fileName, const void *data,
                                                     int32_t size)
{
    if (!QApplication::instance())
        return 0;
    const auto header = ReadWaveHeader(static_cast<const uint8_t *>(data), size);
    if (!header)
        return 0; // not a wave file: the program shows it itself
    // Everything needed is copied into the window; the bytes are not used
    // after this call.
    ShowWaveWindow(fileName, *header);
    return 1;
}

// The preview pane: the same rows inside the container the program gives;
// the container (and the rows with it) is the program's to delete.
VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL RenderPreview(const char *, const void *data, int32_t size,
                                                      void *parentWidget)
{
    const auto header = ReadWaveHeader(static_cast<const uint8_t *>(data), size);
    if (!header || !parentWidget)
        return 0; // the pane shows the description and the bytes in hex
    AddWaveRows(static_cast<QWidget *>(parentWidget), *header);
    return 1;
}

VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL CanViewFormat(const char *extension)
{
    return std::strcmp(extension, ".wav") == 0 || std::strcmp(extension, ".WAV") == 0;
}

VV_PLUGIN_EXPORT int32_t VV_PLUGIN_CALL IconIndex(const char *)
{
    return 10; // a document marked with a loudspeaker
}

VV_PLUGIN_EXPORT const char *VV_PLUGIN_CALL FormatDescription(const char *)
{
    return "Wave Sound";
}

} // extern "C"
