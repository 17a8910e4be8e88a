#pragma once
// THistory: the list of recently opened paths, newest first, kept in a section
// of the settings file (key "0" = newest). The main window owns one instance,
// FileHistory, and shows it in its "&Reopen" submenu.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;
class TIniFile;

class THistory : public QObject {
    Q_OBJECT
public:
    explicit THistory(QObject *parent = nullptr);

    // Puts the path at the front (paths compared as the file system does): a new path is inserted (the oldest paths
    // beyond MaxItems fall off), a listed one is moved there in its stored
    // letter case when IfExistsPlaceFirst is set. An empty path is ignored.
    void Add(const QString &path);
    void Clear();
    // The path at index; throws Exception "Index out of bounds (%d)".
    QString Items(int index) const;
    int Count() const { return int(m_Items.size()); }
    const QStringList &Paths() const { return m_Items; }

    int MaxItems() const { return m_MaxItems; }
    // Lowering the maximum below Count drops the oldest paths and fires
    // OnChange; raising it keeps the list as it is.
    void SetMaxItems(int value);
    void SetIfExistsPlaceFirst(bool value) { m_IfExistsPlaceFirst = value; }

    // Replaces the list with the non-empty keys "0" .. MaxItems-1 of section;
    // OnChange fires afterwards, also when reading fails part-way.
    void LoadFromIni(const TIniFile *iniFile, const QString &section);
    void LoadFromIniFile(const QString &iniFileName, const QString &section);
    // Rewrites the section with keys "0" .. Count-1; an empty list removes it.
    void SaveToIni(TIniFile *iniFile, const QString &section) const;
    void SaveToIniFile(const QString &iniFileName, const QString &section) const;

signals:
    // Fired after every change of the list, including loading and clearing.
    void OnChange();

protected:
    virtual void Change();

private:
    int IndexOf(const QString &path) const;
    void TrimTo(int count);

    QStringList m_Items;
    int m_MaxItems = 5;
    bool m_IfExistsPlaceFirst = false;
};

// Rebuilds the "&Reopen" submenu from the history: one entry per path with
// the caption "&<index> <path>" (an "&" inside the path shows as itself) and
// the index as its tag, then a separator and "Clear History" with tag -1.
// The submenu is enabled only when it lists a path. Choosing an entry calls
// onClick with its tag; onClick runs inside the event loop and must not throw.
void FillReopenMenu(QMenu &mniReopen, const THistory &history, const std::function<void(int tag)> &onClick);

// What choosing a "&Reopen" entry does: a negative tag clears the history,
// any other opens the path at that index with openFile. openFile's error is
// passed on (the path stays listed).
void GenericReopenClick(THistory &history, int tag, const std::function<void(const QString &path)> &openFile);
