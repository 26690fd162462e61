#pragma once

// A page of the program property sheet: its settings come from the program when the sheet
// is built and go back into it when the sheet closes, through the one list of keys the
// page names in Exchange. GUI thread only.

#include "ui/vq_property_sheet.h"

class Program;
class ProgramExchange;

class CMavrenProgPropPage : public CVQPropertyPage {
    Q_OBJECT

  public:
    explicit CMavrenProgPropPage(QWidget* parent = nullptr) : CVQPropertyPage(parent) {}

    void Load(const Program& program);
    void Store(Program& program);

  protected:
    // Every key of the page, in the direction of the exchange, with the page's own
    // conversions on the way.
    virtual void Exchange(ProgramExchange& exchange) = 0;
};
