#pragma once

// The file dialog of the property pages and the browser chooser: the platform's file
// dialog with nothing of its own but taking its filter in the tool's "text|patterns|...||"
// form. GUI thread only.

#include <QFileDialog>
#include <QString>
#include <QStringList>

// The name filters of a "Label (*.a;*.b)|*.a; *.b|All Files (*.*)|*.*||" text: one per
// label and pattern pair, as "Label (*.a *.b)"; "*.*" becomes "*" (every file, with or
// without an extension). A label without patterns is dropped.
QStringList FileDialogNameFilters(const QString& filter);

class CVQFileDialog : public QFileDialog {
    Q_OBJECT

  public:
    // An open dialog (a file that exists) or a save dialog, with the filter above.
    CVQFileDialog(bool openFileDialog, const QString& filter, QWidget* parent = nullptr);
};
