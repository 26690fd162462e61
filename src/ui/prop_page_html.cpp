#include "ui/prop_page_html.h"

#include "ui/colour_box.h"
#include "ui/control_values.h"
#include "ui/pickers.h"
#include "ui/program_exchange.h"
#include "ui_prop_page_html.h"

CMavrenProgPropPageHTML::CMavrenProgPropPageHTML(std::function<bool()> boilerplateSet,
                                                 QWidget* parent)
    : CMavrenProgPropPage(parent),
      m_ui(std::make_unique<Ui::PropPageHtml>()),
      m_boilerplateSet(std::move(boilerplateSet)) {
    m_ui->setupUi(this);
    m_ui->boilerplateNoteLabel->setVisible(false);
    m_backgroundGroup.addButton(m_ui->backgroundImageRadio, 0);
    m_backgroundGroup.addButton(m_ui->backgroundColorRadio, 1);
    connect(&m_backgroundGroup, &QButtonGroup::idClicked, this,
            [this] { UpdateBackgroundEnabling(); });
    connect(m_ui->backgroundGroupBox, &QGroupBox::clicked, this,
            &CMavrenProgPropPageHTML::OnSetBackgroundClicked);
    connect(m_ui->backgroundImageBrowseButton, &QToolButton::clicked, this, [this] {
        std::string chosen;
        if (PickBackgroundImage(this, chosen)) {
            m_settings.imageText = chosen;
            ShowText(m_ui->backgroundImageEdit, m_settings.imageText);
        }
    });
}

CMavrenProgPropPageHTML::~CMavrenProgPropPageHTML() = default;

void CMavrenProgPropPageHTML::Exchange(ProgramExchange& exchange) {
    exchange.Text(ProgramKey::HtmlTextColorColor, m_settings.textColor);
    exchange.Text(ProgramKey::HtmlLinkColor, m_settings.linkColor);
    exchange.Text(ProgramKey::HtmlVLinkColor, m_settings.vlinkColor);
    exchange.Text(ProgramKey::HtmlALinkColor, m_settings.alinkColor);
    exchange.Text(ProgramKey::HtmlFontFace, m_settings.fontFace);
    exchange.Text(ProgramKey::HtmlFontSize, m_settings.fontSize);
    exchange.Int(ProgramKey::HtmlBackgroundStyle, m_settings.backgroundKind);
    // Without a background the program's image, fixed flag and colour are not read; they
    // are written back as the page holds them.
    if (!exchange.IsLoading() || m_settings.backgroundKind != -1) {
        exchange.Text(ProgramKey::HtmlBackgroundImage, m_settings.backgroundImage);
        exchange.Int(ProgramKey::HtmlBackgroundFixed, m_settings.backgroundFixed);
        exchange.Text(ProgramKey::HtmlBackgroundColor, m_settings.backgroundColor);
    }
}

void CMavrenProgPropPageHTML::OnInitPage() {
    for (QComboBox* box : {m_ui->backgroundColorBox, m_ui->textColorBox, m_ui->linkColorBox,
                           m_ui->vlinkColorBox, m_ui->alinkColorBox}) {
        FillColourBox(box);
    }
    ShowColour(m_ui->backgroundColorBox, m_settings.backgroundColor);
    ShowColour(m_ui->textColorBox, m_settings.textColor);
    ShowColour(m_ui->linkColorBox, m_settings.linkColor);
    ShowColour(m_ui->vlinkColorBox, m_settings.vlinkColor);
    ShowColour(m_ui->alinkColorBox, m_settings.alinkColor);
    if (m_settings.backgroundKind != -1) {
        m_settings.backgroundRadio = m_settings.backgroundKind;
        m_settings.setBackground = 1;
        m_settings.imageText = m_settings.backgroundImage;
        m_settings.fixed = m_settings.backgroundFixed;
    }
    m_ui->backgroundGroupBox->setChecked(m_settings.setBackground != 0);
    SetRadioSelection(&m_backgroundGroup, m_settings.backgroundRadio);
    ShowText(m_ui->backgroundImageEdit, m_settings.imageText);
    SetCheckValue(m_ui->fixedCheckBox, m_settings.fixed);
    ShowText(m_ui->fontFaceEdit, m_settings.fontFace);
    ShowText(m_ui->fontSizeEdit, m_settings.fontSize);
    UpdateBackgroundEnabling();
}

void CMavrenProgPropPageHTML::OnSetActive() {
    m_ui->boilerplateNoteLabel->setVisible(m_boilerplateSet && m_boilerplateSet());
}

bool CMavrenProgPropPageHTML::ReadControls() {
    ReadColour(m_ui->textColorBox, m_settings.textColor);
    ReadColour(m_ui->linkColorBox, m_settings.linkColor);
    ReadColour(m_ui->vlinkColorBox, m_settings.vlinkColor);
    ReadColour(m_ui->alinkColorBox, m_settings.alinkColor);
    ReadText(m_ui->fontFaceEdit, m_settings.fontFace);
    ReadText(m_ui->fontSizeEdit, m_settings.fontSize);
    m_settings.setBackground = m_ui->backgroundGroupBox->isChecked() ? 1 : 0;
    m_settings.backgroundRadio = RadioSelection(&m_backgroundGroup);
    ReadText(m_ui->backgroundImageEdit, m_settings.imageText);
    m_settings.fixed = CheckValue(m_ui->fixedCheckBox);
    if (m_settings.setBackground == 0) {
        // No background: the image, fixed flag and colour stay as they were.
        m_settings.backgroundKind = -1;
        return true;
    }
    m_settings.backgroundKind = m_settings.backgroundRadio;
    if (m_settings.backgroundKind == 0) {
        m_settings.backgroundImage = m_settings.imageText;
        m_settings.backgroundFixed = m_settings.fixed;
        m_settings.backgroundColor.clear();
    } else {
        m_settings.backgroundImage.clear();
        ReadColour(m_ui->backgroundColorBox, m_settings.backgroundColor);
    }
    return true;
}

void CMavrenProgPropPageHTML::UpdateBackgroundEnabling() {
    const bool ticked = m_ui->backgroundGroupBox->isChecked();
    m_ui->backgroundImageRadio->setEnabled(ticked);
    m_ui->backgroundColorRadio->setEnabled(ticked);
    const int kind = RadioSelection(&m_backgroundGroup);
    if (!ticked || kind == 0 || kind == 1) {
        const bool image = ticked && kind == 0;
        const bool colour = ticked && kind == 1;
        m_ui->backgroundImageEdit->setEnabled(image);
        m_ui->backgroundImageBrowseButton->setEnabled(image);
        m_ui->fixedCheckBox->setEnabled(image);
        m_ui->backgroundColorBox->setEnabled(colour);
    }
    // With neither button selected the four keep their state.
}

void CMavrenProgPropPageHTML::OnSetBackgroundClicked() {
    if (!m_ui->backgroundGroupBox->isChecked()) {
        SetRadioSelection(&m_backgroundGroup, -1);
    }
    UpdateBackgroundEnabling();
}
