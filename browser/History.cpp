#include "browser/History.h"

#include "archive/Exceptions.h"
#include "browser/GenFunctions.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QMenu>

namespace {

void CheckIniArguments(const TIniFile *iniFile, const QString &section)
{
    if (!iniFile)
        throw Exception("IniFile not assigned");
    if (section.isEmpty())
        throw Exception("Section is not set!");
}

// A menu caption shows "&&" as one "&"; a single "&" would mark an accelerator.
QString MenuText(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace

THistory::THistory(QObject *parent) : QObject(parent) {}

int THistory::IndexOf(const QString &path) const
{
    for (int i = 0; i < Count(); ++i)
        if (SamePath(m_Items[i], path))
            return i;
    return -1;
}

void THistory::TrimTo(int count)
{
    while (Count() > std::max(count, 0))
        m_Items.removeLast();
}

void THistory::Add(const QString &path)
{
    if (path.isEmpty())
        return;
    const int index = IndexOf(path);
    if (index < 0) {
        m_Items.prepend(path);
        TrimTo(m_MaxItems);
    } else if (m_IfExistsPlaceFirst) {
        m_Items.move(index, 0);
    }
    Change();
}

void THistory::Clear()
{
    m_Items.clear();
    Change();
}

QString THistory::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw Exception(FormatStr("Index out of bounds (%d)", index));
    return m_Items[index];
}

void THistory::SetMaxItems(int value)
{
    if (value == m_MaxItems)
        return;
    if (value < Count()) {
        TrimTo(value);
        Change();
    }
    m_MaxItems = value;
}

void THistory::LoadFromIni(const TIniFile *iniFile, const QString &section)
{
    CheckIniArguments(iniFile, section);
    m_Items.clear();
    try {
        for (int i = 0; i < m_MaxItems; ++i) {
            const QString path = iniFile->ReadString(section, QString::number(i), QString());
            if (!path.isEmpty())
                m_Items.append(path);
        }
    } catch (...) {
        Change();
        throw;
    }
    Change();
}

void THistory::LoadFromIniFile(const QString &iniFileName, const QString &section)
{
    const TIniFile iniFile(iniFileName);
    LoadFromIni(&iniFile, section);
}

void THistory::SaveToIni(TIniFile *iniFile, const QString &section) const
{
    CheckIniArguments(iniFile, section);
    iniFile->EraseSection(section);
    // A path that can't be stored as one line (a file name with a line
    // break) is left out; the paths after it are still saved.
    int key = 0;
    for (const QString &path : m_Items)
        if (TIniFile::CanStoreValue(path))
            iniFile->WriteString(section, QString::number(key++), path);
}

void THistory::SaveToIniFile(const QString &iniFileName, const QString &section) const
{
    TIniFile iniFile(iniFileName);
    SaveToIni(&iniFile, section);
}

void THistory::Change()
{
    emit OnChange();
}

void FillReopenMenu(QMenu &mniReopen, const THistory &history, const std::function<void(int tag)> &onClick)
{
    // The entries go later, not at once: the click that cleared the history
    // may still be running in one of them.
    for (QAction *action : mniReopen.actions()) {
        mniReopen.removeAction(action);
        if (action->parent() == &mniReopen)
            action->deleteLater();
    }
    const auto addEntry = [&](const QString &caption, int tag) {
        QAction *action = mniReopen.addAction(caption);
        action->setData(tag);
        QObject::connect(action, &QAction::triggered, &mniReopen, [onClick, tag] { onClick(tag); });
    };
    for (int i = 0; i < history.Count(); ++i)
        addEntry(u'&' + QString::number(i) + u' ' + MenuText(history.Items(i)), i);
    mniReopen.menuAction()->setEnabled(history.Count() > 0);
    mniReopen.addSeparator();
    addEntry(QStringLiteral("Clear History"), -1);
}

void GenericReopenClick(THistory &history, int tag, const std::function<void(const QString &path)> &openFile)
{
    if (tag < 0) {
        history.Clear();
        return;
    }
    openFile(history.Items(tag));
}
