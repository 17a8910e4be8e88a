#include "extract/FormOverwriteDlg.h"

#include "archive/vmFunctions.h"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QString LocalDateTimeText(const QDateTime &time)
{
    const QLocale locale = QLocale::system();
    // The long time format without the time zone.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return locale.toString(time.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(time.time(), timeFormat.trimmed());
}

QLabel *IndentedLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setIndent(24);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QString ExistingFileText(uint64_t size, const std::optional<std::time_t> &time)
{
    const QString when = time ? LocalDateTimeText(QDateTime::fromSecsSinceEpoch(*time)) : QStringLiteral("???");
    return QString::number(size) + QLatin1Char('\n') + when;
}

TfrmOverwriteDlg::TfrmOverwriteDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Overwrite existing file?"));
    CreateControls();
    setFixedSize(449, 213);
}

QPushButton *TfrmOverwriteDlg::AddAnswerButton(const QString &caption, TOverwriteAnswer answer)
{
    auto *button = new QPushButton(caption, this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, answer] {
        m_Answer = answer;
        accept();
    });
    return button;
}

void TfrmOverwriteDlg::CreateControls()
{
    Image1 = new QLabel(this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    Image1->setFixedSize(32, 32);
    lblCaption = new QLabel(this);
    lblText1 = new QLabel(QStringLiteral("Do you want to replace the existing file:"), this);
    lblEntry1 = IndentedLabel(this);
    lblText2 = new QLabel(QStringLiteral("with this one?"), this);
    lblEntry2 = IndentedLabel(this);

    btnYes = AddAnswerButton(QStringLiteral("&Yes"), TOverwriteAnswer::Yes);
    btnNo = AddAnswerButton(QStringLiteral("&No"), TOverwriteAnswer::No);
    btnYesToAll = AddAnswerButton(QStringLiteral("Yes to &All"), TOverwriteAnswer::YesToAll);
    btnNoToAll = AddAnswerButton(QStringLiteral("No &to All"), TOverwriteAnswer::NoToAll);
    btnOnlyOlder = AddAnswerButton(QStringLiteral("&Only Older"), TOverwriteAnswer::OnlyOlder);
    btnYes->setDefault(true);

    auto *texts = new QVBoxLayout;
    for (QLabel *label : {lblCaption, lblText1, lblEntry1, lblText2, lblEntry2}) {
        label->setTextFormat(Qt::PlainText); // names from disk are never markup
        texts->addWidget(label);
    }
    texts->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : {btnYes, btnNo, btnYesToAll, btnNoToAll, btnOnlyOlder})
        buttons->addWidget(button);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}

void TfrmOverwriteDlg::SetQuestion(const TOverwriteQuestion &question)
{
    const QString path = QString::fromStdString(question.ExistingPath);
    lblCaption->setText(QFileInfo(path).fileName() + QStringLiteral(" already exists."));
    lblEntry1->setText(ExistingFileText(question.ExistingSize, question.ExistingTime));
    lblEntry2->setText(QString::fromStdString(SizeToStr(question.EntrySize)) + QLatin1Char('\n')
                       + QString::fromStdString(FileTimeToStr(question.EntryTime)));
    m_Answer = TOverwriteAnswer::No;
}
