#pragma once

#include <string>

namespace masume::bench {

// A figure of the summary: the time of one benchmark as a ratio to another
// measured in the same run, printed after the table as
// "name: 2.41x baselineLabel".
void addFigure(const std::string &name, const std::string &benchmark, const std::string &baseline,
               const std::string &baselineLabel);

struct Figure
{
    Figure(const std::string &name, const std::string &benchmark, const std::string &baseline,
           const std::string &baselineLabel)
    {
        addFigure(name, benchmark, baseline, baselineLabel);
    }
};

} // namespace masume::bench
