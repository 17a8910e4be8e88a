#include "platform/XdgClassesRoot.h"

#include "platform/IniFile.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString DefaultValueKey = QStringLiteral("@");
const QString CommandSubkey = QStringLiteral("\\Shell\\Open\\Command");

// One file type as the keys describe it.
struct TFileType {
    QString typeName;
    QString description;
    QString command;
    QStringList extensions;
};

QList<TFileType> CollectFileTypes(const TIniFile &keys)
{
    QList<TFileType> types;
    auto typeNamed = [&types](const QString &name) -> TFileType & {
        for (TFileType &type : types)
            if (type.typeName.compare(name, Qt::CaseInsensitive) == 0)
                return type;
        types.append(TFileType{name, {}, {}, {}});
        return types.last();
    };
    for (const QString &key : keys.ReadSections()) {
        if (!key.startsWith(u'.') || key.size() < 2)
            continue;
        const QString typeName = keys.ReadString(key, DefaultValueKey, QString());
        if (!typeName.isEmpty())
            typeNamed(typeName).extensions << key;
    }
    for (TFileType &type : types) {
        type.description = keys.ReadString(type.typeName, DefaultValueKey, QString());
        type.command = keys.ReadString(type.typeName + CommandSubkey, DefaultValueKey, QString());
    }
    return types;
}

QString XmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray MimePackage(const QList<TFileType> &types)
{
    QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
    for (const TFileType &type : types) {
        xml += QStringLiteral("  <mime-type type=\"%1\">\n").arg(TXdgClassesRoot::MimeTypeOf(type.typeName));
        if (!type.description.isEmpty())
            xml += QStringLiteral("    <comment>%1</comment>\n").arg(XmlEscaped(type.description));
        for (const QString &extension : type.extensions)
            xml += QStringLiteral("    <glob pattern=\"*%1\"/>\n").arg(XmlEscaped(extension.toLower()));
        xml += QStringLiteral("  </mime-type>\n");
    }
    xml += QStringLiteral("</mime-info>\n");
    return xml.toUtf8();
}

QByteArray DesktopEntry(const QList<TFileType> &types)
{
    QString command;
    QString mimeTypes;
    for (const TFileType &type : types) {
        if (type.command.isEmpty())
            continue;
        if (command.isEmpty())
            command = type.command;  // the program registers one command for all its types
        mimeTypes += TXdgClassesRoot::MimeTypeOf(type.typeName) + u';';
    }
    if (command.isEmpty())
        return {};
    QString entry = QStringLiteral(
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=VornViewer\n"
        "Comment=Browse and unpack Velmire archives\n"
        "Exec=%1\n"
        "Terminal=false\n"
        "Categories=Utility;Archiving;\n"
        "MimeType=%2\n").arg(TXdgClassesRoot::ExecLineOf(command), mimeTypes);
    return entry.toUtf8();
}

// One Exec argument as the desktop-entry rules want it: plain when it has
// no reserved character, so that launchers that split the line on blanks
// (xdg-open without a desktop session) run it as it is; otherwise in double
// quotes with " ` $ \ backslashed. "%" is doubled so it is no field code.
QString QuotedExecArgument(const QString &argument)
{
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString escaped;
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        if (Reserved.contains(c))
            needsQuotes = true;
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            escaped += u'\\';
        escaped += c;
        if (c == u'%')
            escaped += u'%';
    }
    if (!needsQuotes)
        return QString(argument).replace(QStringLiteral("%"), QStringLiteral("%%"));
    return u'"' + escaped + u'"';
}

// Escapes a value for a desktop file line.
QString DesktopStringEscaped(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': escaped += QLatin1String("\\\\"); break;
        case '\n': escaped += QLatin1String("\\n"); break;
        case '\r': escaped += QLatin1String("\\r"); break;
        case '\t': escaped += QLatin1String("\\t"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

TXdgClassesRoot::TXdgClassesRoot(QString dataHome, TCommandRunner runner)
    : m_DataHome(std::move(dataHome)), m_Runner(std::move(runner))
{
}

QString TXdgClassesRoot::KeysFileName() const
{
    return QDir(m_DataHome).filePath(QStringLiteral("vornviewer/file-types.ini"));
}

QString TXdgClassesRoot::MimePackageFileName() const
{
    return QDir(m_DataHome).filePath(QStringLiteral("mime/packages/vornviewer.xml"));
}

QString TXdgClassesRoot::DesktopFileName() const
{
    return QDir(m_DataHome).filePath(QStringLiteral("applications/vornviewer.desktop"));
}

QString TXdgClassesRoot::MimeTypeOf(const QString &typeName)
{
    QString subtype;
    for (const QChar c : typeName.toLower()) {
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'+' || c == u'-';
        subtype += allowed ? c : QChar(u'-');
    }
    return QStringLiteral("application/x-") + subtype;
}

QString TXdgClassesRoot::ExecLineOf(const QString &command)
{
    // The executable is the first word of the command, or its quoted start.
    QString program;
    if (command.startsWith(u'"')) {
        const qsizetype close = command.indexOf(u'"', 1);
        program = close < 0 ? command.mid(1) : command.mid(1, close - 1);
    } else {
        program = command.section(u' ', 0, 0);
    }
    return DesktopStringEscaped(QuotedExecArgument(program) + QStringLiteral(" %F"));
}

void TXdgClassesRoot::WriteDefaultValue(const QString &keyPath, const QString &value)
{
    TIniFile(KeysFileName()).WriteString(keyPath, DefaultValueKey, value);
    GenerateDesktopFiles();
}

void TXdgClassesRoot::GenerateDesktopFiles() const
{
    const QList<TFileType> types = CollectFileTypes(TIniFile(KeysFileName()));
    WriteFileAtomically(MimePackageFileName(), MimePackage(types));
    const QByteArray entry = DesktopEntry(types);
    if (!entry.isEmpty())
        WriteFileAtomically(DesktopFileName(), entry);
}

void TXdgClassesRoot::NotifyAssociationsChanged()
{
    m_Runner(QStringLiteral("update-mime-database"), {QDir(m_DataHome).filePath(QStringLiteral("mime"))});
    m_Runner(QStringLiteral("update-desktop-database"), {QDir(m_DataHome).filePath(QStringLiteral("applications"))});
}

void TXdgClassesRoot::RunCommand(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(QProcess::nullDevice());  // the program writes no log
    process.start(program, arguments);
    if (process.waitForStarted())
        process.waitForFinished();
}

std::unique_ptr<TClassesRoot> CreateClassesRoot()
{
    return std::make_unique<TXdgClassesRoot>(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}
