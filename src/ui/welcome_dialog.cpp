#include "ui/welcome_dialog.h"

#include <QKeyEvent>
#include <QLayout>

#include "platform/registry.h"
#include "ui_welcome_dialog.h"

CMavrenWelcomeDialog::CMavrenWelcomeDialog(QWidget* parent)
    : CVQDialog(parent), m_ui(std::make_unique<Ui::WelcomeDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    // Sized by its contents, wrapped texts included; the user cannot resize it anyway.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_ui->openLastButton->setEnabled(false);
    SetPlacementName(QStringLiteral("Welcome"));
    SetAutomaticResult(kWelcomeOpenLast);
    connect(m_ui->newButton, &QPushButton::clicked, this, [this] { done(kWelcomeNew); });
    connect(m_ui->openButton, &QPushButton::clicked, this, [this] { done(kWelcomeOpen); });
    connect(m_ui->openLastButton, &QPushButton::clicked, this, &QDialog::reject);
}

CMavrenWelcomeDialog::~CMavrenWelcomeDialog() = default;

bool CMavrenWelcomeDialog::OnInitDialog() {
    setWindowTitle(QStringLiteral("Welcome to Mavren"));
    if (!CVQDialog::OnInitDialog()) {
        return false;
    }
    // Whether the file is still there is found out when it is opened.
    if (!GetRegistryString(kApplicationKey, "LastOpenProgram").empty()) {
        m_ui->openLastButton->setEnabled(true);
    }
    m_ui->newButton->setFocus(Qt::OtherFocusReason);
    return true;
}

void CMavrenWelcomeDialog::reject() {
    done(kWelcomeOpenLast);
}

void CMavrenWelcomeDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    CVQDialog::keyPressEvent(event);
}
