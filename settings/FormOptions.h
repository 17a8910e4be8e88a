#pragma once
// The options dialog: the startup and 'Extract To' folders with their
// "Use last browsed" boxes, kept in section "Folders" of the settings file,
// and the registration of the vorn file types. One instance lives from
// program start to program end.

#include "platform/GameFolder.h"

#include <QDialog>

#include <exception>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TClassesRoot;

class TfrmOptions : public QDialog {
    Q_OBJECT

public:
    // Asks for a folder starting at startFolder; empty when the user cancels.
    using TFolderBrowser = std::function<QString(QWidget *parent, const QString &startFolder)>;
    // Shows a plain message.
    using TMessageShower = std::function<void(QWidget *parent, const QString &text)>;
    // Shows a failed command's error.
    using TErrorHandler = std::function<void(const std::exception &error)>;
    using TClassesRootFactory = std::function<std::unique_ptr<TClassesRoot>()>;

    // Loads the settings from iniFileName and looks for the game's install
    // folder in the user's Wine prefixes (FindGameInstall).
    explicit TfrmOptions(const QString &iniFileName, QWidget *parent = nullptr);
    // The same with a given install folder (empty: the game is not installed).
    TfrmOptions(const QString &iniFileName, const QString &gameFolder, QWidget *parent = nullptr);
    // The same with the install folder and the Wine prefix it was found in;
    // the dialog names the prefix.
    TfrmOptions(const QString &iniFileName, const TGameInstall &game, QWidget *parent = nullptr);
    ~TfrmOptions() override;

    QString GetStartupDir() const;
    QString GetExtractDir() const;
    // Take the folder the user last browsed to, when the field follows it.
    void SetLastOpenDir(const QString &folder);
    void SetLastExtractDir(const QString &folder);

    // Reads or writes the four keys of section "Folders"; SaveSettings throws
    // Exception when the file can't be written.
    void LoadSettings();
    void SaveSettings();

    const QString &GameFolder() const { return m_GameFolder; }
    const QString &IniFileName() const { return m_IniFileName; }

    // Replaceable services; the defaults are the real dialogs, the user's
    // file associations and the running executable.
    void SetFolderBrowser(TFolderBrowser browser) { m_FolderBrowser = std::move(browser); }
    void SetMessageShower(TMessageShower shower) { m_MessageShower = std::move(shower); }
    void SetErrorHandler(TErrorHandler handler) { m_ErrorHandler = std::move(handler); }
    void SetClassesRootFactory(TClassesRootFactory factory) { m_ClassesRootFactory = std::move(factory); }
    void SetExePath(const QString &exePath) { m_ExePath = exePath; }

    // "&Associate with vorn files": registers the seven file types, then
    // shows "Done!".
    void BitBtn1Click();

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *btnVM = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QPushButton *Button2 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QLabel *lblGamePrefix = nullptr;  // "Game found in the Wine prefix ..."
    QPushButton *BitBtn1 = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

private:
    void CreateControls();
    // Names the prefix the game was found in, in at most width pixels.
    void ShowGamePrefix(int width);
    void btnOkClick();
    void btnCancelClick();
    void btnVMClick();
    void BrowseInto(QLineEdit *edit);
    void ShowError(const std::exception &error);

    QString m_IniFileName;
    QString m_GameFolder;
    QString m_GamePrefix;
    QString m_ExePath;
    TFolderBrowser m_FolderBrowser;
    TMessageShower m_MessageShower;
    TErrorHandler m_ErrorHandler;
    TClassesRootFactory m_ClassesRootFactory;
};
