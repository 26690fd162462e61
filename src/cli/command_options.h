#pragma once

// The options of one mavren-cli command: "--name VALUE" or "--name=VALUE" for options
// that take a value, "--name" for flags; everything else is positional, in order.

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

struct CommandOptions {
    std::map<std::string, std::string> values;  // by option name with its dashes
    std::set<std::string> flags;
    std::vector<std::string> positional;

    bool Has(const std::string& name) const { return values.count(name) != 0; }
};

// False, with the reason in problem, for an option not named in either list or one
// that lacks its value. A value may begin with "-" ("--password -x-").
bool ParseCommandOptions(const std::vector<std::string>& arguments,
                         std::initializer_list<const char*> valueOptions,
                         std::initializer_list<const char*> flagOptions, CommandOptions& options,
                         std::string& problem);
