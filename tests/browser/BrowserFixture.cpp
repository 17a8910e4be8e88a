#include "tests/browser/BrowserFixture.h"

#include "platform/AppFolder.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>

void EnsureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "browser_test";
    static char *argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

QStringList FilesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

void BrowserTest::SetUp()
{
    EnsureApplication();
    ASSERT_TRUE(m_dir.isValid());
    // Each test keeps its settings (history, folders) in its own folder.
    SetSettingsFileNameOverride(m_dir.filePath(QStringLiteral("VornViewer.ini")));
}

QString BrowserTest::Write(VornWriter &writer, const QString &name) const
{
    const QString path = Path(name);
    writer.write(path.toStdString());
    return path;
}

QString BrowserTest::WriteSample(const QString &name) const
{
    VornWriter writer;
    const auto art = writer.addDir(0, "art");
    writer.addDir(art, "maps");
    writer.addDir(0, "sound");
    writer.addFile(0, FileSpec{.name = "readme.txt", .data = TextBytes("hello")});
    writer.addFile(art, FileSpec{.name = "logo.bmp", .data = TextBytes("not really")});
    return Write(writer, name);
}

QString BrowserTest::WriteJunk(const QString &name) const
{
    const QString path = Path(name);
    WriteBytes(path.toStdString(), TextBytes("this is no archive at all"));
    return path;
}
