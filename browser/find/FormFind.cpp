#include "browser/find/FormFind.h"

#include "archive/Exceptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QDate DateBase(1899, 12, 30); // day 0 of a date-time value

std::optional<uint64_t> SizeFrom(const QLineEdit *field, const char *what)
{
    const QString text = field->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok)
        throw Exception(std::string(what) + " is not a number of bytes: " + text.toStdString());
    return value;
}

QString SizeText(const std::optional<uint64_t> &size)
{
    return size ? QString::number(*size) : QString();
}

} // namespace

TfrmFind::TfrmFind(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(CreateNameGroup());
    layout->addWidget(CreateAttributeGroup());
    layout->addWidget(CreateContentGroup());
    layout->addWidget(CreateScopeGroup());
    lblError = new QLabel(this);
    lblError->setObjectName(QStringLiteral("lblFindError"));
    lblError->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblError->setWordWrap(true);
    layout->addWidget(lblError);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Find"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmFind::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmFind::reject);
    layout->addWidget(buttons);
}

QWidget *TfrmFind::CreateNameGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Name"), this);
    auto *form = new QFormLayout(group);
    edtName = new QLineEdit(group);
    cmbNameMode = new QComboBox(group);
    cmbNameMode->addItems({QStringLiteral("Text or wildcards"), QStringLiteral("Text"), QStringLiteral("Wildcards"),
                           QStringLiteral("Regular expression")});
    chkIgnoreCase = new QCheckBox(QStringLiteral("Ignore case"), group);
    chkIgnoreCase->setChecked(true);
    chkWholePath = new QCheckBox(QStringLiteral("Match the whole path inside the archive"), group);
    form->addRow(QStringLiteral("Name:"), edtName);
    form->addRow(QStringLiteral("As:"), cmbNameMode);
    form->addRow(chkIgnoreCase);
    form->addRow(chkWholePath);
    return group;
}

QWidget *TfrmFind::CreateAttributeGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Files"), this);
    auto *form = new QFormLayout(group);
    edtTypes = new QLineEdit(group);
    edtTypes->setPlaceholderText(QStringLiteral("extensions or type names, separated by ;"));
    form->addRow(QStringLiteral("Type:"), edtTypes);
    auto *sizes = new QHBoxLayout;
    edtMinSize = new QLineEdit(group);
    edtMaxSize = new QLineEdit(group);
    edtMinSize->setPlaceholderText(QStringLiteral("any"));
    edtMaxSize->setPlaceholderText(QStringLiteral("any"));
    sizes->addWidget(edtMinSize);
    sizes->addWidget(new QLabel(QStringLiteral("to"), group));
    sizes->addWidget(edtMaxSize);
    sizes->addWidget(new QLabel(QStringLiteral("bytes"), group));
    form->addRow(QStringLiteral("Size:"), sizes);
    auto *formats = new QHBoxLayout;
    const char *const names[3] = {"Raw", "ZLib", "LZO"};
    for (int i = 0; i < 3; ++i) {
        chkFormats[i] = new QCheckBox(QLatin1String(names[i]), group);
        formats->addWidget(chkFormats[i]);
    }
    formats->addStretch();
    form->addRow(QStringLiteral("Format:"), formats);
    auto *dates = new QHBoxLayout;
    chkFrom = new QCheckBox(QStringLiteral("from"), group);
    dteFrom = new QDateEdit(QDate(2000, 1, 1), group);
    chkTo = new QCheckBox(QStringLiteral("to"), group);
    dteTo = new QDateEdit(QDate::currentDate(), group);
    for (QDateEdit *edit : {dteFrom, dteTo})
        edit->setCalendarPopup(true);
    dates->addWidget(chkFrom);
    dates->addWidget(dteFrom);
    dates->addWidget(chkTo);
    dates->addWidget(dteTo);
    form->addRow(QStringLiteral("Modified:"), dates);
    chkDamaged = new QCheckBox(QStringLiteral("Only files the last Test Archive found damaged"), group);
    chkDamaged->setToolTip(QStringLiteral("An archive not tested since it was opened is named in the find bar"));
    form->addRow(QStringLiteral("Damaged:"), chkDamaged);
    return group;
}

QWidget *TfrmFind::CreateContentGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Content"), this);
    auto *row = new QHBoxLayout(group);
    cmbContentMode = new QComboBox(group);
    cmbContentMode->addItems({QStringLiteral("Any content"), QStringLiteral("Text"), QStringLiteral("Hex bytes")});
    edtContent = new QLineEdit(group);
    edtContent->setPlaceholderText(QStringLiteral("text (ANSI or UTF-16) or hex bytes such as DE AD BE EF"));
    row->addWidget(cmbContentMode);
    row->addWidget(edtContent, 1);
    return group;
}

QWidget *TfrmFind::CreateScopeGroup()
{
    auto *group = new QGroupBox(QStringLiteral("Look in"), this);
    auto *column = new QVBoxLayout(group);
    const char *const captions[3] = {"Current folder and below", "Active archive", "Every open archive"};
    for (int i = 0; i < 3; ++i) {
        rbScopes[i] = new QRadioButton(QLatin1String(captions[i]), group);
        column->addWidget(rbScopes[i]);
    }
    rbScopes[2]->setChecked(true);
    return group;
}

void TfrmFind::SetCriteria(const TFindCriteria &criteria, TFindScope scope)
{
    edtName->setText(QString::fromStdString(criteria.Name));
    cmbNameMode->setCurrentIndex(int(criteria.NameMode));
    chkIgnoreCase->setChecked(criteria.IgnoreCase);
    chkWholePath->setChecked(criteria.WholePath);
    QStringList types;
    for (const std::string &type : criteria.Types)
        types << QString::fromStdString(type);
    edtTypes->setText(types.join(QStringLiteral("; ")));
    edtMinSize->setText(SizeText(criteria.MinSize));
    edtMaxSize->setText(SizeText(criteria.MaxSize));
    for (int i = 0; i < 3; ++i)
        chkFormats[i]->setChecked((criteria.Formats & FormatBit(uint16_t(i))) != 0);
    chkFrom->setChecked(criteria.ModifiedFrom.has_value());
    if (criteria.ModifiedFrom)
        dteFrom->setDate(DateBase.addDays(qint64(*criteria.ModifiedFrom)));
    chkTo->setChecked(criteria.ModifiedTo.has_value());
    if (criteria.ModifiedTo)
        dteTo->setDate(DateBase.addDays(qint64(*criteria.ModifiedTo)));
    chkDamaged->setChecked(criteria.Damaged);
    cmbContentMode->setCurrentIndex(int(criteria.ContentMode));
    edtContent->setText(QString::fromStdString(criteria.Content));
    rbScopes[int(scope)]->setChecked(true);
    lblError->clear();
}

TFindCriteria TfrmFind::Criteria() const
{
    TFindCriteria criteria;
    criteria.Name = edtName->text().toStdString();
    criteria.NameMode = TNameMode(cmbNameMode->currentIndex());
    criteria.IgnoreCase = chkIgnoreCase->isChecked();
    criteria.WholePath = chkWholePath->isChecked();
    for (const QString &type : edtTypes->text().split(u';', Qt::SkipEmptyParts))
        if (!type.trimmed().isEmpty())
            criteria.Types.push_back(type.trimmed().toStdString());
    criteria.MinSize = SizeFrom(edtMinSize, "The smallest size");
    criteria.MaxSize = SizeFrom(edtMaxSize, "The largest size");
    for (int i = 0; i < 3; ++i)
        if (chkFormats[i]->isChecked())
            criteria.Formats |= FormatBit(uint16_t(i));
    if (chkFrom->isChecked())
        criteria.ModifiedFrom = double(DateBase.daysTo(dteFrom->date()));
    if (chkTo->isChecked()) // the whole last day
        criteria.ModifiedTo = double(DateBase.daysTo(dteTo->date())) + 86399.0 / 86400.0;
    criteria.Damaged = chkDamaged->isChecked();
    criteria.ContentMode = TContentMode(cmbContentMode->currentIndex());
    criteria.Content = edtContent->text().toStdString();
    return criteria;
}

TFindScope TfrmFind::Scope() const
{
    for (int i = 0; i < 3; ++i)
        if (rbScopes[i]->isChecked())
            return TFindScope(i);
    return TFindScope::AllArchives;
}

void TfrmFind::accept()
{
    try {
        Criteria().Validate();
    } catch (const Exception &error) {
        lblError->setText(QString::fromUtf8(error.what()));
        return;
    }
    lblError->clear();
    QDialog::accept();
}
