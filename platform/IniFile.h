#pragma once
// Settings file with the behaviour of the Windows profile functions: plain
// "key=value" lines under "[section]" headers, no escaping or quoting, section
// and key names compared without regard to case. Nothing is cached: every read
// opens the file afresh and every change rewrites it at once, keeping all other
// lines in their order. The file is UTF-8 text (a file that isn't valid UTF-8
// is read as Latin-1). Values are taken exactly as they stand after "=", with
// no blanks trimmed, so a folder name keeps its leading or trailing blanks.

#include <QString>
#include <QStringList>

class TIniFile {
public:
    // Longest value a read returns; longer values are cut.
    static constexpr int MaxValueLength = 2047;

    explicit TIniFile(QString fileName);

    const QString &FileName() const { return m_FileName; }

    // The value of Key in Section, or Default when the file, the section or
    // the key is missing. An existing key with an empty value reads as empty;
    // a value ends at a NUL character.
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // The value taken as a whole number (decimal, or hexadecimal after "0x");
    // non-zero is true. A missing or unreadable value gives Default.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    // Names of all sections, in file order.
    QStringList ReadSections() const;

    // Replaces the key's value, or appends the key at the end of its section,
    // or appends the section at the end of the file; creates the file and its
    // folder when missing. Throws Exception when the file can't be written or
    // the text can't be stored as one line.
    void WriteString(const QString &section, const QString &key, const QString &value);
    // Writes "1" or "0".
    void WriteBool(const QString &section, const QString &key, bool value);
    // Removes the section with all its keys; nothing happens when it is absent.
    void EraseSection(const QString &section);

    // Whether WriteString can store the text as a value (it is one line).
    static bool CanStoreValue(const QString &value);
    // The Boolean reading rule of ReadBool applied to a text.
    static bool ParseBool(const QString &text, bool defaultValue);

private:
    QString m_FileName;
};
