#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One row of a text table of numbers as analysers and calibration files write them: fields
// separated by semicolons, tabs, commas or runs of spaces, each perhaps quoted, with a decimal
// comma where the separator leaves no doubt. Every reader of such tables splits its rows here,
// so they all tolerate and refuse the same things.
class NumericRow final
{
public:
    explicit NumericRow (std::string_view line);

    // Empty fields are kept where a semicolon or a comma separates them (a missing value keeps
    // its column); runs of tabs or spaces count as one separator.
    std::vector<std::string> fields;

    // Every field empty: a row of separators only, as spreadsheets export a blank row.
    bool isBlank() const;

    // Commas separate the fields and, with no decimal point anywhere, four or more of them may
    // as well be two numbers with decimal commas ("20,5,75,3"): which is meant cannot be known.
    bool ambiguousCommas = false;

    // Locale-independent, and the whole field or nothing; an optional '+'. A number too large
    // for a double is an infinity, one too small is zero, as the text says.
    static std::optional<double> number (std::string_view field);
};
