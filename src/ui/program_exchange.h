#pragma once

// Moving a property page's members to or from the program, one key at a time, in the
// direction the exchange was made for: a page names each key once, and the same list
// serves loading (when the sheet is built) and storing (when it closes), so the two
// cannot drift apart. Storing goes through the program's setters, which mark it edited
// only when a value changes. Not thread-safe; the program must outlive the exchange.

#include <string>

#include "document/program_key.h"

class Program;

class ProgramExchange {
  public:
    static ProgramExchange Loading(const Program& program);
    static ProgramExchange Storing(Program& program);

    bool IsLoading() const { return m_to == nullptr; }

    // Ints and bools (0 or 1).
    void Int(ProgramKey key, int& member);
    void Text(ProgramKey key, std::string& member);

  private:
    ProgramExchange(const Program* from, Program* to) : m_from(from), m_to(to) {}

    const Program* m_from;
    Program* m_to;
};
