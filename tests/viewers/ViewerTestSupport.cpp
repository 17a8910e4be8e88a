#include "ViewerTestSupport.h"

#include "BufferTracker.h"
#include "viewers/FormHexViewer.h"
#include "viewers/FormTextViewer.h"
#include "viewers/FormatList.h"
#include "viewers/ImageFormatForm.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstring>

TFileBuffer MakeBuffer(const QByteArray &bytes)
{
    TFileBuffer buffer(uint32_t(bytes.size()));
    if (!bytes.isEmpty())
        std::memcpy(buffer.data(), bytes.constData(), size_t(bytes.size()));
    return buffer;
}

QByteArray Repeated(char byte, qsizetype count)
{
    return QByteArray(count, byte);
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int OpenViewerCount()
{
    return int(OpenWindows<TfrmViewerHex>().size() + OpenWindows<TfrmViewerText>().size()
               + OpenWindows<TForm1>().size());
}

void TViewerTest::SetUp()
{
    FormatList().Clear();
    mainWindow = std::make_unique<QWidget>();
    mainWindow->resize(800, 600);
}

void TViewerTest::TearDown()
{
    for (TfrmViewerHex *window : OpenWindows<TfrmViewerHex>())
        delete window;
    mainWindow.reset();
    FlushDeletes();
    FormatList().Clear();
    BufferTracker::Unwatch();
}
