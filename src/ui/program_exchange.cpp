#include "ui/program_exchange.h"

#include "document/program.h"

ProgramExchange ProgramExchange::Loading(const Program& program) {
    return ProgramExchange(&program, nullptr);
}

ProgramExchange ProgramExchange::Storing(Program& program) {
    return ProgramExchange(nullptr, &program);
}

void ProgramExchange::Int(ProgramKey key, int& member) {
    if (IsLoading()) {
        member = m_from->GetInt(key);
    } else {
        m_to->SetInt(key, member);
    }
}

void ProgramExchange::Text(ProgramKey key, std::string& member) {
    if (IsLoading()) {
        member = m_from->GetText(key);
    } else {
        m_to->SetString(key, member);
    }
}
