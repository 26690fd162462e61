#include "ui/link_options_dialog.h"

#include "ui/control_values.h"
#include "ui/link_labels_dialog.h"
#include "ui_link_options_dialog.h"

CMavrenLinkOptionsDialog::CMavrenLinkOptionsDialog(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::LinkOptionsDialog>()) {
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
    SetCheckValue(m_ui->prevCheckBox, links.showPrev);
    SetCheckValue(m_ui->nextCheckBox, links.showNext);
    SetCheckValue(m_ui->indexCheckBox, links.showIndex);
    SetCheckValue(m_ui->beginningCheckBox, links.showBegin);
    SetCheckValue(m_ui->endCheckBox, links.showEnd);
    SetCheckValue(m_ui->imageIsLinkCheckBox, links.imageIsLink);
    SetRadioSelection(&m_targetGroup, links.imageLinkStyle);
    m_labels = links;
    return QDialog::exec();
}

void CMavrenLinkOptionsDialog::accept() {
    links.showPrev = CheckValue(m_ui->prevCheckBox);
    links.showNext = CheckValue(m_ui->nextCheckBox);
    links.showIndex = CheckValue(m_ui->indexCheckBox);
    links.showBegin = CheckValue(m_ui->beginningCheckBox);
    links.showEnd = CheckValue(m_ui->endCheckBox);
    links.imageIsLink = CheckValue(m_ui->imageIsLinkCheckBox);
    links.imageLinkStyle = RadioSelection(&m_targetGroup);
    links.beginLabel = m_labels.beginLabel;
    links.endLabel = m_labels.endLabel;
    links.indexLabel = m_labels.indexLabel;
    links.nextLabel = m_labels.nextLabel;
    links.prevLabel = m_labels.prevLabel;
    QDialog::accept();
}

void CMavrenLinkOptionsDialog::EditLinkLabels() {
    CMavrenLinkLabelsDialog dialog(this);
    dialog.indexLabel = m_labels.indexLabel;
    dialog.beginLabel = m_labels.beginLabel;
    dialog.nextLabel = m_labels.nextLabel;
    dialog.prevLabel = m_labels.prevLabel;
    dialog.endLabel = m_labels.endLabel;
    if (dialog.exec() == QDialog::Accepted) {
        m_labels.indexLabel = dialog.indexLabel;
        m_labels.beginLabel = dialog.beginLabel;
        m_labels.nextLabel = dialog.nextLabel;
        m_labels.prevLabel = dialog.prevLabel;
        m_labels.endLabel = dialog.endLabel;
    }
}

void RunLinkOptions(QWidget* parent, LinkSettings& settings) {
    CMavrenLinkOptionsDialog dialog(parent);
    dialog.links = settings;
    dialog.exec();
    // Both OK and Cancel end the dialog with a result; after Cancel the members still
    // hold what was handed in.
    settings = dialog.links;
}
