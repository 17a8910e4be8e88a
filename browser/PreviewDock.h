#pragma once
// TPreviewDock: the preview pane, a dock the window places right of or below
// the file list, hidden until View > "Preview pane" (F3) shows it. While it
// is visible it previews the selected file when exactly one file row of the
// folder listing is selected. Before the listing's archive can go away
// (every new listing), it waits for the file being read.

#include <QDockWidget>

class QAction;
class TListSelection;
class TPreviewPane;

class TPreviewDock : public QDockWidget {
    Q_OBJECT
public:
    // Hidden at first; the window docks it and places ToggleAction.
    TPreviewDock(TListSelection &list, QWidget *parent);

    TPreviewPane *Pane() const { return m_pane; }
    QAction *ToggleAction() const;
    // Previews the selection now (the pane does so by itself on every change).
    void Refresh();

private:
    TListSelection &m_list;
    TPreviewPane *m_pane;
};
