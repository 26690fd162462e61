#include "ui/prog_prop_page.h"

#include "ui/program_exchange.h"

void CMavrenProgPropPage::Load(const Program& program) {
    ProgramExchange exchange = ProgramExchange::Loading(program);
    Exchange(exchange);
}

void CMavrenProgPropPage::Store(Program& program) {
    ProgramExchange exchange = ProgramExchange::Storing(program);
    Exchange(exchange);
}
