#pragma once
// Shared helpers of the viewer tests: buffers from bytes, finding the viewer
// windows that are open, and a fixture that starts every test with an empty
// format registry and no windows.

#include "archive/FileBuffer.h"
#include "tests/viewers/BufferTracker.h"
#include "viewers/ViewHandler.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

TFileBuffer MakeBuffer(const QByteArray &bytes);
QByteArray Repeated(char byte, qsizetype count);

// Runs the deletions that closed windows have queued.
void FlushDeletes();

template <typename Window>
QList<Window *> OpenWindows()
{
    QList<Window *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<Window *>(widget))
            windows.append(window);
    }
    return windows;
}

// Number of viewer windows of any kind (hex, text, image).
int OpenViewerCount();

class TViewerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Stands in for the main window: owner of text and image viewers.
    std::unique_ptr<QWidget> mainWindow;
};

// A viewer test that hands buffers to ViewFile and counts how often each
// was freed.
class TTrackedViewTest : public TViewerTest {
protected:
    TViewer View(const QByteArray &bytes, const QString &name)
    {
        TFileBuffer buffer = MakeBuffer(bytes);
        block = buffer.data();
        BufferTracker::Watch(block);
        return ViewFile(std::move(buffer), name, mainWindow.get());
    }

    int Frees() const { return BufferTracker::FreesOf(block); }

    const void *block = nullptr;
};
