#include "ui/link_labels_dialog.h"

#include "ui/control_values.h"
#include "ui_link_labels_dialog.h"

CMavrenLinkLabelsDialog::CMavrenLinkLabelsDialog(const LinkSettings& links, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LinkLabelsDialog>()), m_links(links) {
    m_ui->setupUi(this);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CMavrenLinkLabelsDialog::~CMavrenLinkLabelsDialog() = default;

int CMavrenLinkLabelsDialog::exec() {
    ShowText(m_ui->indexLabelEdit, m_links.indexLabel);
    ShowText(m_ui->beginLabelEdit, m_links.beginLabel);
    ShowText(m_ui->nextLabelEdit, m_links.nextLabel);
    ShowText(m_ui->prevLabelEdit, m_links.prevLabel);
    ShowText(m_ui->endLabelEdit, m_links.endLabel);
    return QDialog::exec();
}

void CMavrenLinkLabelsDialog::accept() {
    ReadText(m_ui->indexLabelEdit, m_links.indexLabel);
    ReadText(m_ui->beginLabelEdit, m_links.beginLabel);
    ReadText(m_ui->nextLabelEdit, m_links.nextLabel);
    ReadText(m_ui->prevLabelEdit, m_links.prevLabel);
    ReadText(m_ui->endLabelEdit, m_links.endLabel);
    QDialog::accept();
}
