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
            imageText = chosen;
            ShowText(m_ui->backgroundImageEdit, imageText);
        }
    });
}

CMavrenProgPropPageHTML::~CMavrenProgPropPageHTML() = default;

void CMavrenProgPropPageHTML::Exchange(ProgramExchange& exchange) {
    exchange.Text(ProgramKey::HtmlTextColorColor, textColor);
    exchange.Text(ProgramKey::HtmlLinkColor, linkColor);
    exchange.Text(ProgramKey::HtmlVLinkColor, vlinkColor);
    exchange.Text(ProgramKey::HtmlALinkColor, alinkColor);
    exchange.Text(ProgramKey::HtmlFontFace, fontFace);
    exchange.Text(ProgramKey::HtmlFontSize, fontSize);
    exchange.Int(ProgramKey::HtmlBackgroundStyle, backgroundKind);
    // Without a background the program's image, fixed flag and colour are not read; they
    // are written back as the page holds them.
    if (!exchange.IsLoading() || backgroundKind != -1) {
        exchange.Text(ProgramKey::HtmlBackgroundImage, backgroundImage);
        exchange.Int(ProgramKey::HtmlBackgroundFixed, backgroundFixed);
        exchange.Text(ProgramKey::HtmlBackgroundColor, backgroundColor);
    }
}

void CMavrenProgPropPageHTML::OnInitPage() {
    for (QComboBox* box : {m_ui->backgroundColorBox, m_ui->textColorBox, m_ui->linkColorBox,
                           m_ui->vlinkColorBox, m_ui->alinkColorBox}) {
        FillColourBox(box);
    }
    ShowColour(m_ui->backgroundColorBox, backgroundColor);
    ShowColour(m_ui->textColorBox, textColor);
    ShowColour(m_ui->linkColorBox, linkColor);
    ShowColour(m_ui->vlinkColorBox, vlinkColor);
    ShowColour(m_ui->alinkColorBox, alinkColor);
    if (backgroundKind != -1) {
        backgroundRadio = backgroundKind;
        setBackground = 1;
        imageText = backgroundImage;
        fixed = backgroundFixed;
    }
    m_ui->backgroundGroupBox->setChecked(setBackground != 0);
    SetRadioSelection(&m_backgroundGroup, backgroundRadio);
    ShowText(m_ui->backgroundImageEdit, imageText);
    SetCheckValue(m_ui->fixedCheckBox, fixed);
    ShowText(m_ui->fontFaceEdit, fontFace);
    ShowText(m_ui->fontSizeEdit, fontSize);
    UpdateBackgroundEnabling();
}

void CMavrenProgPropPageHTML::OnSetActive() {
    m_ui->boilerplateNoteLabel->setVisible(m_boilerplateSet && m_boilerplateSet());
}

bool CMavrenProgPropPageHTML::ReadControls() {
    ReadColour(m_ui->textColorBox, textColor);
    ReadColour(m_ui->linkColorBox, linkColor);
    ReadColour(m_ui->vlinkColorBox, vlinkColor);
    ReadColour(m_ui->alinkColorBox, alinkColor);
    ReadText(m_ui->fontFaceEdit, fontFace);
    ReadText(m_ui->fontSizeEdit, fontSize);
    setBackground = m_ui->backgroundGroupBox->isChecked() ? 1 : 0;
    backgroundRadio = RadioSelection(&m_backgroundGroup);
    ReadText(m_ui->backgroundImageEdit, imageText);
    fixed = CheckValue(m_ui->fixedCheckBox);
    if (setBackground == 0) {
        // No background: the image, fixed flag and colour stay as they were.
        backgroundKind = -1;
        return true;
    }
    backgroundKind = backgroundRadio;
    if (backgroundKind == 0) {
        backgroundImage = imageText;
        backgroundFixed = fixed;
        backgroundColor.clear();
    } else {
        backgroundImage.clear();
        ReadColour(m_ui->backgroundColorBox, backgroundColor);
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
