#include "ui/link_labels_dialog.h"

#include "ui/control_values.h"
#include "ui_link_labels_dialog.h"

CMavrenLinkLabelsDialog::CMavrenLinkLabelsDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LinkLabelsDialog>()) {
    m_ui->setupUi(this);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CMavrenLinkLabelsDialog::~CMavrenLinkLabelsDialog() = default;

int CMavrenLinkLabelsDialog::exec() {
    ShowText(m_ui->indexLabelEdit, indexLabel);
    ShowText(m_ui->beginLabelEdit, beginLabel);
    ShowText(m_ui->nextLabelEdit, nextLabel);
    ShowText(m_ui->prevLabelEdit, prevLabel);
    ShowText(m_ui->endLabelEdit, endLabel);
    return QDialog::exec();
}

void CMavrenLinkLabelsDialog::accept() {
    ReadText(m_ui->indexLabelEdit, indexLabel);
    ReadText(m_ui->beginLabelEdit, beginLabel);
    ReadText(m_ui->nextLabelEdit, nextLabel);
    ReadText(m_ui->prevLabelEdit, prevLabel);
    ReadText(m_ui->endLabelEdit, endLabel);
    QDialog::accept();
}
