#include "gui/file_filter.h"

namespace torvane::gui {

QStringList FileDialogFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty()) break;
        // The description's own "(...)" is replaced by the patterns offered.
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0) description = description.left(paren).trimmed();
        QStringList globs;
        for (const QString& glob : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString& variant :
                 {glob.trimmed(), glob.trimmed().toLower(), glob.trimmed().toUpper()})
                if (!globs.contains(variant)) globs << variant;
        }
        filters << QStringLiteral("%1 (%2)").arg(description, globs.join(QLatin1Char(' ')));
    }
    return filters;
}

QString FileDialogFilter(const std::string& filter) {
    return FileDialogFilters(filter).join(QStringLiteral(";;"));
}

}  // namespace torvane::gui
