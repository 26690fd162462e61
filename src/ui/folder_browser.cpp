#include "ui/folder_browser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>

#include "ui/folder_preview.h"

void FolderBrowser::SetTitle(const std::string& newTitle) {
    title = newTitle.substr(0, 259);
}

bool FolderBrowser::Browse(QWidget* owner, const std::string& folder,
                           const std::string& newPatterns) {
    initialFolder = folder;
    if (!newPatterns.empty()) {
        patterns = newPatterns;
    }
    previewText.clear();

    QFileDialog dialog(owner, QString::fromStdString(title));
    dialog.setObjectName(QStringLiteral("folderBrowserDialog"));
    // The preview line needs the dialog's own widgets.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    if (!initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(initialFolder));
    }

    if (!initialFolder.empty() || !patterns.empty()) {
        auto* preview = new QLabel(&dialog);
        preview->setObjectName(QStringLiteral("folderPreviewLabel"));
        preview->setTextFormat(Qt::PlainText);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            grid->addWidget(preview, grid->rowCount(), 0, 1, grid->columnCount());
        }
        const auto showPreview = [this, preview](const QString& selected) {
            if (selected.isEmpty() || !QFileInfo(selected).isDir()) {
                return;
            }
            previewText = FolderPreviewText(selected.toStdString(), patterns);
            preview->setText(QString::fromStdString(previewText));
        };
        // A folder the user selects, and each folder the dialog moves into, however it
        // got there (the model's root follows every move).
        QObject::connect(&dialog, &QFileDialog::currentChanged, preview, showPreview);
        if (auto* model = dialog.findChild<QFileSystemModel*>()) {
            QObject::connect(model, &QFileSystemModel::rootPathChanged, preview, showPreview);
        }
        showPreview(dialog.directory().absolutePath());
    }

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    path = dialog.selectedFiles().front().toStdString();
    return true;
}
