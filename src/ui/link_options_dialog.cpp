#include "ui/link_options_dialog.h"

#include "ui/control_values.h"
#include "ui/link_labels_dialog.h"
#include "ui_link_options_dialog.h"

CMavrenLinkOptionsDialog::CMavrenLinkOptionsDialog(const LinkSettings& links, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LinkOptionsDialog>()), m_links(links) {
    m_ui->setupUi(this);
    m_targetGroup.addButton(m_ui->imageLinkNextRadio, 0);
    m_targetGroup.addButton(m_ui->imageLinkIndexRadio, 1);
    connect(m_ui->editLinkLabelsButton, &QPushButton::clicked, this,
            &CMavrenLinkOptionsDialog::EditLinkLabels);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CMavrenLinkOptionsDialog::~CMavrenLinkOptionsDialog() = default;

int CMavrenLinkOptionsDialog::exec() {
    SetCheckValue(m_ui->prevCheckBox, m_links.showPrev);
    SetCheckValue(m_ui->nextCheckBox, m_links.showNext);
    SetCheckValue(m_ui->indexCheckBox, m_links.showIndex);
    SetCheckValue(m_ui->beginningCheckBox, m_links.showBegin);
    SetCheckValue(m_ui->endCheckBox, m_links.showEnd);
    SetCheckValue(m_ui->imageIsLinkCheckBox, m_links.imageIsLink);
    SetRadioSelection(&m_targetGroup, m_links.imageLinkStyle);
    m_labels = m_links;
    return QDialog::exec();
}

void CMavrenLinkOptionsDialog::accept() {
    m_links.showPrev = CheckValue(m_ui->prevCheckBox);
    m_links.showNext = CheckValue(m_ui->nextCheckBox);
    m_links.showIndex = CheckValue(m_ui->indexCheckBox);
    m_links.showBegin = CheckValue(m_ui->beginningCheckBox);
    m_links.showEnd = CheckValue(m_ui->endCheckBox);
    m_links.imageIsLink = CheckValue(m_ui->imageIsLinkCheckBox);
    m_links.imageLinkStyle = RadioSelection(&m_targetGroup);
    m_links.beginLabel = m_labels.beginLabel;
    m_links.endLabel = m_labels.endLabel;
    m_links.indexLabel = m_labels.indexLabel;
    m_links.nextLabel = m_labels.nextLabel;
    m_links.prevLabel = m_labels.prevLabel;
    QDialog::accept();
}

void CMavrenLinkOptionsDialog::EditLinkLabels() {
    CMavrenLinkLabelsDialog dialog(m_labels, this);
    if (dialog.exec() == QDialog::Accepted) {
        m_labels = dialog.Links();
    }
}

void RunLinkOptions(QWidget* parent, LinkSettings& settings) {
    CMavrenLinkOptionsDialog dialog(settings, parent);
    dialog.exec();
    // Both OK and Cancel end the dialog with a result; after Cancel the dialog still holds
    // what was handed in.
    settings = dialog.Links();
}
