#pragma once
// TPreviewDock: the preview pane, a dock the window places right of or below
// the file list, hidden until View > "Preview pane" (F3) shows it. While it
// is visible it previews the selected file when exactly one file row of a
// folder is selected: of an archive's folder or of the game view's, whose
// rows preview their winners. Before the list's archives can go away (every
// new listing), it waits for the file being read.

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
    void FollowShownList();
    void StopLoading();

    TListSelection &m_list;
    TPreviewPane *m_pane;
};
