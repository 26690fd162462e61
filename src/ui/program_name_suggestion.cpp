#include "ui/program_name_suggestion.h"

#include "document/new_program_place.h"
#include "document/program_name.h"

std::string SuggestProgramName(const std::string& sourceFolder) {
    return SuggestedProgramName(sourceFolder, NewProgramFolder(sourceFolder));
}
