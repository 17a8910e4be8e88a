#pragma once
// TPreviewDock: the main window's preview pane, docked right of or below the
// file list and hidden until View > "Preview pane" (F3) shows it. While it
// is visible it previews the selected file when exactly one file row is
// selected. Before the list's archive can go away (every new listing), it
// waits for the file being read.

#include <QDockWidget>

class QAction;
class TfrmMain;
class TPreviewPane;

class TPreviewDock : public QDockWidget {
    Q_OBJECT
public:
    // Docks itself (hidden) in `window` and adds its command to the View menu.
    explicit TPreviewDock(TfrmMain *window);

    TPreviewPane *Pane() const { return m_pane; }
    QAction *ToggleAction() const;
    // Previews the selection now (the pane does so by itself on every change).
    void Refresh();

private:
    TfrmMain *m_window;
    TPreviewPane *m_pane;
};
