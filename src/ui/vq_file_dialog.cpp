#include "ui/vq_file_dialog.h"

#include <QRegularExpression>

QStringList FileDialogNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i].trimmed();
        QStringList patterns;
        for (const QString& pattern :
             parts[i + 1].split(QRegularExpression(QStringLiteral("[; ]+")), Qt::SkipEmptyParts)) {
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (label.isEmpty() || patterns.isEmpty()) {
            continue;
        }
        // The label's own list in parentheses would be read as the patterns.
        const qsizetype open = label.lastIndexOf(QLatin1Char('('));
        if (open > 0 && label.endsWith(QLatin1Char(')'))) {
            label = label.left(open).trimmed();
        }
        result << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return result;
}

CVQFileDialog::CVQFileDialog(bool openFileDialog, const QString& filter, QWidget* parent)
    : QFileDialog(parent) {
    setObjectName(QStringLiteral("fileDialog"));
    setAcceptMode(openFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    setFileMode(openFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    setNameFilters(FileDialogNameFilters(filter));
}
