#include "cli/command_options.h"

#include <algorithm>
#include <string_view>

namespace {

bool Listed(std::initializer_list<const char*> names, const std::string& name) {
    return std::any_of(names.begin(), names.end(),
                       [&name](const char* listed) { return name == listed; });
}

}  // namespace

bool ParseCommandOptions(const std::vector<std::string>& arguments,
                         std::initializer_list<const char*> valueOptions,
                         std::initializer_list<const char*> flagOptions, CommandOptions& options,
                         std::string& problem) {
    options = CommandOptions{};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 3 || argument.compare(0, 2, "--") != 0) {
            options.positional.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (Listed(valueOptions, name)) {
            if (equals != std::string::npos) {
                options.values[name] = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                options.values[name] = arguments[++i];
            } else {
                problem = name + " needs a value";
                return false;
            }
        } else if (Listed(flagOptions, name) && equals == std::string::npos) {
            options.flags.insert(name);
        } else {
            problem = "unknown option '" + name + "'";
            return false;
        }
    }
    return true;
}
