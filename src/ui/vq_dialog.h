#pragma once

// The base of the tool's dialogs. It remembers where the user left the dialog (under
// "Window Positions", by placement name or else by window title) and puts it back there
// unless the screen changed, centring it otherwise; it lets the user drag the dialog by
// any empty point of its client area; it ends a dialog at once with its automatic result
// when the user ticked "Don't ask this again" (a check box named "dontAskAgainCheckBox",
// remembered under "Dont Show Again"); and it gives a label named "titleLabel" the
// Arial 20-point title font. GUI thread only.

#include <QDialog>
#include <QPoint>
#include <QString>

class QLabel;
class QCheckBox;

class CVQDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CVQDialog(QWidget* parent = nullptr);

    void SetPlacementName(const QString& name) { m_placementName = name; }
    void SetAutomaticResult(int result) { m_automaticResult = result; }
    // The text of the title label; nothing without one.
    void SetTitleText(const QString& text);
    // The text of the title label, or empty.
    QString GetTitleText() const;

    // The opening steps, then the modal dialog. A dialog the user asked not to see again
    // is never shown and returns the automatic result.
    int exec() override;

  protected:
    // The opening steps; derived dialogs set their title or placement name, call this,
    // and go on with their own opening only when it returns true. False means the dialog
    // ends at once with the automatic result.
    virtual bool OnInitDialog();

    // Every way the dialog ends passes here: the closing steps run, then the dialog ends.
    void done(int result) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // The placement name, or the window title when that is empty.
    QString StorageName() const;
    QLabel* TitleLabel() const;
    QCheckBox* DontAskAgainCheckBox() const;

    QString m_placementName;
    int m_dontShow = 0;
    int m_automaticResult = 0;
    bool m_opened = false;
    bool m_dragging = false;
    QPoint m_dragOffset;  // from the window's position to the pressed point
};
