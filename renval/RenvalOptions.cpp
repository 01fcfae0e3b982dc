// RenvalOptions - renval's value options and the control file they stand for.  See
// RenvalOptions.h.
#include "RenvalOptions.h"

#include <iterator>

#include "ControlText.h"

// The table's order is the index of each option in CommandLine::values, and the order
// of the control file's lines.
enum : int { kOld, kNew, kSpecies, kDescription };

const ValueOption kRenvalOptions[] = {
    {"--old", false, false},
    {"--new", false, false},
    {"--species", false, false},
    {"--description", false, true},
};
const int kRenvalOptionCount = (int)std::size(kRenvalOptions);

const char *check_renval_options(const CommandLine &line) {
    for (int required : {kOld, kNew})
        if (!option_value(line, required))
            return problem_text("option ", kRenvalOptions[required].name, " is missing");
    for (const OptionValue &v : line.values)
        if (const char *problem = line_problem(v.text, v.option == kOld))
            return problem_text("the value of ", kRenvalOptions[v.option].name, " ", problem);
    return nullptr;
}

std::string default_species_path(const std::string &new_path) {
    const size_t slash = new_path.find_last_of('/');
    const size_t name = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = new_path.find_last_of('.');
    const bool has_extension = dot != std::string::npos && dot > name;
    return new_path.substr(0, has_extension ? dot : new_path.size()) + ".ctm";
}

std::string renval_control_text(const CommandLine &line) {
    const char *species = option_value(line, kSpecies);
    const char *description = option_value(line, kDescription);
    std::string text;
    add_line(text, option_value(line, kOld));
    add_line(text, option_value(line, kNew));
    add_line(text, species ? species : default_species_path(option_value(line, kNew)));
    add_line(text, description ? description : "");
    return text;
}
