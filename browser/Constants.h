#pragma once
// Fixed texts of the main window.

#include <QString>
#include <vector>

inline const QString AppTitle = QStringLiteral("VornViewer");
inline const QString NoVornOpenText = QStringLiteral("(No vorn open)");
// Settings file section of the recent-files list.
inline const QString HistorySection = QStringLiteral("history");

struct TFileFilter {
    QString Description;
    QString Patterns; // ";"-separated
};

// The open dialog's choices, the default first.
const std::vector<TFileFilter> &OpenDialogFilters();
// The same as a Qt file dialog filter ("Description (patterns);;...").
QString OpenDialogFilterText();
