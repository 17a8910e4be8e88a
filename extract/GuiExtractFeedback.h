#pragma once
// The GUI's answers to the engine: the overwrite question as the real
// frmOverwriteDlg, made anew for each file, and a failed file in a message
// box of its own, which also offers to go on without asking for the rest of
// the run (the run's report lists every failure at its end).

#include "engines/ExtractTypes.h"

#include <QPointer>
#include <QWidget>

class TGuiExtractFeedback : public IOverwriteQuestion, public IExtractReport {
public:
    explicit TGuiExtractFeedback(QWidget *parent) : m_Parent(parent) {}

    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &question) override;
    void ReportFailure(const TExtractFailure &failure) override;

private:
    QPointer<QWidget> m_Parent;
    bool m_GoOnWithoutAsking = false;
};
