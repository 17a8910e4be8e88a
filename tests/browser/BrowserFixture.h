#pragma once
// Shared pieces of the browser tests: a QApplication for GoogleTest, a seam
// that records the main window's messages and answers its dialogs, and
// archives written into a temporary folder.

#include "browser/UiSeam.h"
#include "tests/support/VornWriter.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

// GoogleTest prints QStrings readably.
inline void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

class TRecordingSeam : public TUiSeam {
public:
    QStringList errors;        // standard error boxes
    QStringList errorMessages; // other error-kind boxes
    QStringList openAnswer;    // what the open dialog "chooses"
    QString openFolderAsked;

    void showError(QWidget *, const QString &text) override { errors << text; }
    void showErrorMessage(QWidget *, const QString &text) override { errorMessages << text; }
    QStringList askOpenFileNames(QWidget *, const QString &folder, const QString &) override
    {
        openFolderAsked = folder;
        return openAnswer;
    }
    QString saveAnswer; // what the save dialog "chooses"
    QString askSaveFileName(QWidget *, const QString &, const QString &) override { return saveAnswer; }
};

// The files below a folder, hidden ones too, as sorted relative paths.
QStringList FilesBelow(const QString &folder);

// Replaces the first little-endian occurrence of `from` at or after `start`
// (a child of a folder record, to damage an index); fails the test when
// there is none.
void PatchU32(Bytes &bytes, size_t start, uint32_t from, uint32_t to);

// Makes the QApplication once for the whole test program.
void EnsureApplication();

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override;

    QString Path(const QString &name) const { return m_dir.filePath(name); }
    // Writes the archive and returns its path.
    QString Write(VornWriter &writer, const QString &name) const;
    // An archive with folders "art" (with "maps" inside) and "sound" and a
    // few files in the root.
    QString WriteSample(const QString &name) const;
    // A file that is not an archive.
    QString WriteJunk(const QString &name) const;

    QTemporaryDir m_dir;
};
