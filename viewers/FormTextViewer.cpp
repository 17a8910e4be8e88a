#include "viewers/FormTextViewer.h"

#include "viewers/ViewerText.h"
#include "viewers/WindowPlacement.h"

#include <QBoxLayout>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <memory>

namespace {

constexpr int kFontPixelHeight = 11;
constexpr QSize kInitialClientSize(623, 453);

bool IsEscape(const QEvent *event)
{
    return event->type() == QEvent::KeyPress
           && static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape;
}

} // namespace

TfrmViewerText::TfrmViewerText(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window)
{
    setObjectName(QStringLiteral("frmViewerText"));
    setAttribute(Qt::WA_DeleteOnClose);
    FormCreate();
    resize(kInitialClientSize);
}

void TfrmViewerText::FormCreate()
{
    memoMain = new QPlainTextEdit(this);
    memoMain->setObjectName(QStringLiteral("memoMain"));
    memoMain->setReadOnly(true);
    memoMain->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memoMain->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    memoMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    memoMain->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(kFontPixelHeight);
    memoMain->setFont(font);
    memoMain->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memoMain);
}

void TfrmViewerText::SetText(const QString &text)
{
    memoMain->setPlainText(text);
}

bool TfrmViewerText::eventFilter(QObject *watched, QEvent *event)
{
    if (IsEscape(event)) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmViewerText::keyPressEvent(QKeyEvent *event)
{
    if (IsEscape(event))
        close();
    else
        QWidget::keyPressEvent(event);
}

bool ViewAsText(TFileBuffer buffer, const QString &fileName, QWidget *mainWindow)
{
    try {
        auto window = std::make_unique<TfrmViewerText>(mainWindow);
        window->SetText(LoadViewerText(buffer.data(), buffer.size()));
        buffer = TFileBuffer(); // the text is in the window; the bytes are no longer needed
        window->setWindowTitle(fileName + QStringLiteral(" - Text Viewer"));
        CentreOver(window.get(), mainWindow);
        window->show();
        window.release(); // from here on the window deletes itself when closed
    } catch (...) {
        // Nothing is shown and nothing is said; the window is gone.
    }
    return true;
}
