#include "platform/IniFile.h"

#include "archive/Exceptions.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

#include <optional>

namespace {

// The file as lines, read fresh for every operation.
struct TIniLines {
    QStringList lines;
    bool readable = true;  // false: the file exists but could not be read
};

QString DecodeText(const QByteArray &bytes)
{
    // The program writes UTF-8; a hand-made file in an 8-bit code page is
    // taken as Latin-1 so that rewriting it never turns characters into '?'.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

TIniLines ReadLines(const QString &fileName)
{
    TIniLines result;
    QFile file(fileName);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.readable = false;
        return result;
    }
    QString text = DecodeText(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    result.lines = text.split(u'\n');
    if (!result.lines.isEmpty() && result.lines.last().isEmpty())
        result.lines.removeLast();  // the final line break
    for (QString &line : result.lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return result;
}

// Section name of a "[name]" line, or nothing for other lines.
std::optional<QString> SectionOf(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

// Key name of a "key=value" line, or nothing for other lines.
std::optional<QString> KeyOf(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0 || SectionOf(line))
        return std::nullopt;
    return line.left(equals).trimmed();
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lines [first, last) of the first section called name; first = -1 if absent.
struct TSectionRange {
    qsizetype header = -1;
    qsizetype first = -1;
    qsizetype last = -1;
};

TSectionRange FindSection(const QStringList &lines, const QString &name, qsizetype from = 0)
{
    TSectionRange range;
    for (qsizetype i = from; i < lines.size(); ++i) {
        const auto section = SectionOf(lines[i]);
        if (!section)
            continue;
        if (range.header >= 0) {
            range.last = i;
            return range;
        }
        if (SameName(*section, name)) {
            range.header = i;
            range.first = i + 1;
        }
    }
    if (range.header >= 0)
        range.last = lines.size();
    return range;
}

qsizetype FindKey(const QStringList &lines, const TSectionRange &range, const QString &key)
{
    for (qsizetype i = range.first; i < range.last; ++i) {
        const auto name = KeyOf(lines[i]);
        if (name && SameName(*name, key))
            return i;
    }
    return -1;
}

[[noreturn]] void Fail(const QString &message)
{
    throw Exception(message.toStdString());
}

bool HasLineBreak(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

void CheckNames(const QString &section, const QString &key)
{
    const QString s = section.trimmed();
    if (s.isEmpty() || s.contains(u']') || HasLineBreak(s))
        Fail(QStringLiteral("Invalid settings section name \"%1\"").arg(section));
    const QString k = key.trimmed();
    if (k.isEmpty() || k.contains(u'=') || k.startsWith(u'[') || HasLineBreak(k))
        Fail(QStringLiteral("Invalid settings key name \"%1\"").arg(key));
}

TIniLines ReadForChange(const QString &fileName)
{
    TIniLines ini = ReadLines(fileName);
    if (!ini.readable)
        Fail(QStringLiteral("Unable to write to %1").arg(fileName));
    return ini;
}

void WriteLines(const QString &fileName, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    WriteFileAtomically(fileName, bytes);
}

}  // namespace

TIniFile::TIniFile(QString fileName) : m_FileName(std::move(fileName)) {}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const TIniLines ini = ReadLines(m_FileName);
    const TSectionRange range = FindSection(ini.lines, section.trimmed());
    if (range.header < 0)
        return defaultValue;
    const qsizetype line = FindKey(ini.lines, range, key.trimmed());
    if (line < 0)
        return defaultValue;
    QString value = ini.lines[line].mid(ini.lines[line].indexOf(u'=') + 1);
    // The value ends at a NUL, as the profile functions read it: a NUL that
    // got into the file never comes back as a value that can't be written.
    if (const qsizetype nul = value.indexOf(QChar(0)); nul >= 0)
        value.truncate(nul);
    if (value.size() > MaxValueLength) {
        value.truncate(MaxValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

bool TIniFile::CanStoreValue(const QString &value)
{
    return !HasLineBreak(value);
}

bool TIniFile::ParseBool(const QString &text, bool defaultValue)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = trimmed.mid(2);
        // No sign or blank may follow the prefix.
        if (digits.isEmpty() || digits.size() > 8 || !digits.front().isLetterOrNumber())
            return defaultValue;
        const uint number = digits.toUInt(&ok, 16);
        return ok ? number != 0 : defaultValue;
    }
    const int number = trimmed.toInt(&ok, 10);
    return ok ? number != 0 : defaultValue;
}

bool TIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    const QString text = ReadString(section, key, QString());
    return ParseBool(text, defaultValue);
}

QStringList TIniFile::ReadSections() const
{
    QStringList sections;
    for (const QString &line : ReadLines(m_FileName).lines)
        if (const auto section = SectionOf(line))
            sections << *section;
    return sections;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    CheckNames(section, key);
    if (HasLineBreak(value))
        Fail(QStringLiteral("Can't store a value with a line break under \"%1\"").arg(key));
    TIniLines ini = ReadForChange(m_FileName);
    QStringList &lines = ini.lines;
    const QString name = section.trimmed();
    const TSectionRange range = FindSection(lines, name);
    if (range.header < 0) {
        lines << QLatin1Char('[') + name + QLatin1Char(']');
        lines << key.trimmed() + QLatin1Char('=') + value;
    } else if (const qsizetype line = FindKey(lines, range, key.trimmed()); line >= 0) {
        // Keep the key's spelling as it stands in the file.
        const QString &old = lines[line];
        lines[line] = old.left(old.indexOf(u'=') + 1) + value;
    } else {
        qsizetype insertAt = range.last;
        while (insertAt > range.first && lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;  // blank lines stay between this section and the next
        lines.insert(insertAt, key.trimmed() + QLatin1Char('=') + value);
    }
    WriteLines(m_FileName, lines);
}

void TIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::EraseSection(const QString &section)
{
    TIniLines ini = ReadForChange(m_FileName);
    QStringList &lines = ini.lines;
    bool changed = false;
    for (TSectionRange range = FindSection(lines, section.trimmed()); range.header >= 0;
         range = FindSection(lines, section.trimmed(), range.header)) {
        lines.remove(range.header, range.last - range.header);
        changed = true;
    }
    if (changed)
        WriteLines(m_FileName, lines);
}
