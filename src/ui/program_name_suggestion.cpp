#include "ui/program_name_suggestion.h"

#include "document/program_name.h"

std::string SuggestProgramName(const std::string& folder) {
    return SuggestedProgramName(folder, folder);
}
