#pragma once
// TPreviewPane: shows the selected file inside the main window, chosen the
// way View chooses a viewer: a built-in image format's picture scaled to fit
// (with its size), a plug-in format's own rendering (or its description and
// the hex view), text, or hex. Reading and decoding run on a worker thread;
// while one file is read, only the newest request waits, and a result that
// is no longer wanted is dropped. Files above the size limit wait for the
// "Show preview" button. Errors are shown in the pane itself.

#include "viewers/PreviewContent.h"

#include <QPointer>
#include <QThreadPool>
#include <QWidget>
#include <cstdint>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class TfrmViewerHex;

class TPreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewPane(QWidget *parent = nullptr);
    ~TPreviewPane() override;

    // Shows the file `fileName` of `size` bytes, read by `loader` on a worker
    // thread. The loader must stay callable until the pane shows something
    // else, is cleared, or WaitForLoads returns.
    void Preview(const QString &fileName, uint64_t size, TPreviewContent::TLoader loader);
    // Shows nothing; a pending request is dropped.
    void Clear();
    // Drops the pending request and waits for the file being read, so that
    // what the loaders read from may go away.
    void WaitForLoads();

    // Files larger than this many bytes wait for the button.
    void SetSizeLimit(uint64_t bytes) { m_sizeLimit = bytes; }
    uint64_t SizeLimit() const { return m_sizeLimit; }
    static constexpr uint64_t DefaultSizeLimit = 96ull << 20;

    TPreviewKind Kind() const { return m_kind; }
    // The line above the content: the file's name with its picture size,
    // type, or error.
    QString InfoText() const;
    QString Text() const;
    QSize ShownPictureSize() const;
    // The page in view; HexPage() is null until the first hex view.
    QWidget *CurrentPage() const;
    QWidget *HexPage() const { return m_hexPage; }
    QWidget *PluginContainer() const { return m_pluginContainer; }
    QPushButton *ShowButton() const { return m_showButton; }

signals:
    // The pane shows new content (also Empty and TooBig).
    void shown(TPreviewKind kind);

protected:
    // Refits the picture when its room changes; Ctrl+A in the text selects it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct TRequest {
        QString fileName;
        TPreviewRoute route = TPreviewRoute::Other;
        TPreviewContent::TLoader loader;
        uint64_t generation = 0;
    };

    void CreateControls();
    void Start(TRequest request);
    void Finished(uint64_t generation, const std::shared_ptr<TPreviewContent> &content);
    void Show(const QString &fileName, TPreviewContent content);
    void ShowImage(const QString &fileName, const TPreviewContent &content);
    void ShowHex(const QString &fileName, const std::shared_ptr<TFileBuffer> &data);
    void ShowPlugin(const QString &fileName, const TPreviewContent &content);
    void ShowPage(QWidget *page, TPreviewKind kind, const QString &info);
    void FitPicture();
    static TPreviewRoute RouteOf(const QString &fileName);
    static bool IsSelectAll(QEvent *event);

    QLabel *m_info = nullptr;
    QStackedWidget *m_pages = nullptr;
    QWidget *m_emptyPage = nullptr;
    QLabel *m_picture = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QWidget *m_tooBigPage = nullptr;
    QPushButton *m_showButton = nullptr;
    QWidget *m_hexPage = nullptr; // made with the first hex view
    TfrmViewerHex *m_hex = nullptr;
    QPointer<QWidget> m_pluginContainer;

    QImage m_shownPicture;
    TPreviewKind m_kind = TPreviewKind::Empty;
    uint64_t m_sizeLimit = DefaultSizeLimit;
    uint64_t m_generation = 0;   // of the newest request; older results are dropped
    bool m_loading = false;      // a worker reads a file
    std::optional<TRequest> m_next; // the newest request while one is read
    std::optional<TRequest> m_deferred; // the file waiting for the button
    QThreadPool m_pool;
};
