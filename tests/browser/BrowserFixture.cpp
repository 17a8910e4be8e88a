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

void PatchU32(Bytes &bytes, size_t start, uint32_t from, uint32_t to)
{
    for (size_t i = start; i + 4 <= bytes.size(); ++i) {
        const uint32_t value = uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 | uint32_t(bytes[i + 2]) << 16
                               | uint32_t(bytes[i + 3]) << 24;
        if (value == from) {
            PutU32(bytes, i, to);
            return;
        }
    }
    ADD_FAILURE() << "value not found";
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
