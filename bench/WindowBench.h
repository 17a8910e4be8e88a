#pragma once
// What the window benchmarks share: the main window at its usual size with
// one archive, a watch of the window thread's longest stall, and keystrokes
// typed into the find bar from the event loop as a user types them.

#include "browser/FormMain.h"
#include "tests/browser/BrowserFixture.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <memory>

// Ticks every 10 ms on the window's thread and keeps the largest gap
// between two ticks: the longest time the window could not answer input.
class TStallWatch {
public:
    TStallWatch();
    // Something the window did, counted per gap between ticks.
    void Count() { ++m_Events; }
    size_t EventsInLongest() const { return m_EventsInLongest; }
    void Start();
    // The longest gap, counting the one still open.
    double Stop();
    double Now() const { return double(m_Clock.nsecsElapsed()) / 1e6; }

private:
    QTimer m_Timer;
    QElapsedTimer m_Clock;
    double m_Longest = 0;
    double m_Last = 0;
    size_t m_Events = 0;
    size_t m_EventsInLongest = 0;
};

// Lets the event loop run until `done` holds, then `settle` ms more; returns
// the time it took until `done` held. The watch must be running: its timer
// wakes the loop.
double RunUntil(TStallWatch &watch, const std::function<bool()> &done, double settle = 200);

// The main window, 1000 x 700, shown.
std::unique_ptr<TfrmMain> MakeBenchWindow(TRecordingSeam &seam);

struct TKeystroke {
    double Done = 0;    // until the search delivered everything (ms)
    double Longest = 0; // the longest stall meanwhile (ms)
    size_t Rows = 0;
    size_t BatchesInLongest = 0; // row batches added during the longest stall
};
// Types `text` into the find bar (the field's whole text, as a keystroke
// leaves it) from the event loop, and waits until the search has ended.
TKeystroke TypeIntoFindBar(TfrmMain &window, TStallWatch &watch, const char *text, double settle = 200);
