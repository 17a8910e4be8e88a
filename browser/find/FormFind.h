#pragma once
// TfrmFind: the "Find" dialog with every criterion of a search and its
// scope. It checks the patterns before it closes, so a bad regular
// expression or hex string is shown in the dialog, never thrown.

#include "engines/FindCriteria.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;

enum class TFindScope { CurrentFolder, ActiveArchive, AllArchives };

class TfrmFind : public QDialog {
    Q_OBJECT

public:
    explicit TfrmFind(QWidget *parent = nullptr);

    // Shows these criteria and scope.
    void SetCriteria(const TFindCriteria &criteria, TFindScope scope);
    // What the dialog holds; raises an Exception for a size that is no number.
    TFindCriteria Criteria() const;
    TFindScope Scope() const;

    void accept() override;

    QLineEdit *edtName = nullptr;
    QComboBox *cmbNameMode = nullptr;
    QCheckBox *chkIgnoreCase = nullptr;
    QCheckBox *chkWholePath = nullptr;
    QLineEdit *edtTypes = nullptr;
    QLineEdit *edtMinSize = nullptr;
    QLineEdit *edtMaxSize = nullptr;
    QCheckBox *chkFormats[3] = {};
    QCheckBox *chkFrom = nullptr;
    QDateEdit *dteFrom = nullptr;
    QCheckBox *chkTo = nullptr;
    QDateEdit *dteTo = nullptr;
    QCheckBox *chkDamaged = nullptr;
    QComboBox *cmbContentMode = nullptr;
    QLineEdit *edtContent = nullptr;
    QRadioButton *rbScopes[3] = {};
    QLabel *lblError = nullptr;

private:
    QWidget *CreateNameGroup();
    QWidget *CreateAttributeGroup();
    QWidget *CreateContentGroup();
    QWidget *CreateScopeGroup();
};
