#include "browser/Constants.h"

#include <QStringList>

const std::vector<TFileFilter> &OpenDialogFilters()
{
    static const std::vector<TFileFilter> filters = {
        {QStringLiteral("Velmire Files (*.vm*;*.vvc)"), QStringLiteral("*.vm*;*.vvc")},
        {QStringLiteral("Velmire Maps"), QStringLiteral("*.vmmap")},
        {QStringLiteral("Velmire Resources"), QStringLiteral("*.vmres")},
        {QStringLiteral("Velmire Savegames"), QStringLiteral("*.vmsave;*.vmasave;*.vmqsave;*.vmparty")},
        {QStringLiteral("VornViewer Collection"), QStringLiteral("*.vvc")},
        {QStringLiteral("All Files"), QStringLiteral("*.*")},
    };
    return filters;
}

QString OpenDialogFilterText()
{
    QStringList parts;
    for (const TFileFilter &filter : OpenDialogFilters()) {
        QString patterns = filter.Patterns;
        patterns.replace(u';', u' ');
#ifndef Q_OS_WIN
        // Files without an extension belong to "All Files" too.
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
#endif
        // Qt takes the patterns from the last parentheses.
        parts << filter.Description + QLatin1String(" (") + patterns + u')';
    }
    return parts.join(QLatin1String(";;"));
}
