// A drag source for the file-manager stage that offers the root entries of
// an archive by direct save (XdndDirectSave0) alone, built from the
// program's own drag-out classes and extraction: each file manager that
// can save this way gets the entries written straight into its folder. The
// program offers the URL list as well; of the file managers tried, Thunar
// and pcmanfm then take the URL list, pcmanfm-qt takes direct save.
//   direct_save_source ARCHIVE [--with-uri-list]
// With --with-uri-list it offers what the program offers. Every format a
// target asks for is printed.

#include "archive/vmFunctions.h"
#include "archive/vmVornFile.h"
#include "extract/DirectSave.h"
#include "extract/DropSource.h"
#include "extract/ExtractCommand.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace {

class TOfferedData : public TDropFileSource {
public:
    TOfferedData(QStringList files, TWriter writer, bool withUriList)
        : TDropFileSource(std::move(files), std::move(writer)), m_withUriList(withUriList)
    {
    }

    QStringList formats() const override
    {
        return m_withUriList ? TDropFileSource::formats() : QStringList{TDirectSave::Format()};
    }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        std::printf("asked for %s\n", qPrintable(mimeType));
        std::fflush(stdout);
        return TDropFileSource::retrieveData(mimeType, type);
    }

private:
    bool m_withUriList;
};

class TSourceWindow : public QWidget {
public:
    TSourceWindow(const TVornFile &vorn, bool withUriList) : m_vorn(vorn), m_withUriList(withUriList)
    {
        setWindowTitle(QStringLiteral("direct save source"));
    }

protected:
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!(event->buttons() & Qt::LeftButton) || m_dragged)
            return;
        m_dragged = true;
        const std::vector<TEntryOffset> entries = m_vorn.GetChildren(m_vorn.GetRootOffset());
        QStringList names;
        for (const TEntryOffset entry : entries)
            names << QString::fromStdString(AnsiToUtf8(m_vorn.GetName(entry)));
        const TVornFile &vorn = m_vorn;
        auto data = std::make_unique<TOfferedData>(
            DragFileList(QDir::tempPath(), names),
            [this, &vorn, entries](const QString &folder, QEventLoop::ProcessEventsFlags events) {
                TExtractHooks hooks;
                hooks.Events = events;
                const bool written =
                    ExtractForDragOut(this, vorn, vorn.GetRootOffset(), entries, folder, hooks, owAsk);
                std::printf("written into %s\n", qPrintable(folder));
                std::fflush(stdout);
                return written;
            },
            m_withUriList);
        Execute(this, std::move(data));
    }

private:
    const TVornFile &m_vorn;
    bool m_withUriList;
    bool m_dragged = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const TVornFile vorn(argv[1]);
    TSourceWindow window(vorn, argc > 2 && QByteArray(argv[2]) == "--with-uri-list");
    window.resize(700, 500);
    window.show();
    return app.exec();
}
