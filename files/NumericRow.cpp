#include "NumericRow.h"

#include "TextLines.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <locale.h>

namespace
{
    char separatorOf (std::string_view line)
    {
        return line.find (';') != std::string_view::npos ? ';'
             : line.find ('\t') != std::string_view::npos ? '\t'
             : line.find (',') != std::string_view::npos ? ',' : ' ';
    }

    // Where the field that starts at start ends: at the next separator, or past a quoted text
    // that may hold separators of its own.
    size_t fieldEnd (std::string_view line, size_t start, char separator)
    {
        const auto first = line.find_first_not_of (" \t", start);

        if (first != std::string_view::npos && first < line.size() && (line[first] == '"' || line[first] == '\''))
        {
            const auto closing = line.find (line[first], first + 1);

            if (closing != std::string_view::npos)
                start = closing + 1;
        }

        const auto end = line.find (separator, start);
        return end == std::string_view::npos ? line.size() : end;
    }
}

NumericRow::NumericRow (std::string_view line)
{
    const char separator = separatorOf (line);
    const bool runsAreOne = separator == ' ' || separator == '\t';

    for (size_t start = 0; start <= line.size();)
    {
        const auto end = fieldEnd (line, start, separator);
        auto field = TextLines::trim (line.substr (start, end - start));
        const bool quoted = field.size() >= 2 && (field.front() == '"' || field.front() == '\'') && field.back() == field.front();

        if (quoted)
            field = field.substr (1, field.size() - 2);

        if (! field.empty() || ! runsAreOne)
        {
            std::string text (field);

            // A comma inside a field is a decimal comma only where commas do not separate fields.
            if ((separator != ',' || quoted) && text.find (',') != std::string::npos && text.find ('.') == std::string::npos)
                std::replace (text.begin(), text.end(), ',', '.');

            fields.push_back (std::move (text));
        }

        start = end + 1;
    }

    const auto filled = std::count_if (fields.begin(), fields.end(), [] (const std::string& f) { return ! f.empty(); });
    ambiguousCommas = separator == ',' && filled >= 4 && line.find ('.') == std::string_view::npos;
}

bool NumericRow::isBlank() const
{
    return std::all_of (fields.begin(), fields.end(), [] (const std::string& f) { return f.empty(); });
}

std::optional<double> NumericRow::number (std::string_view field)
{
    const char* first = field.data();
    const char* last = first + field.size();

    if (first != last && *first == '+' && (last - first < 2 || first[1] != '-'))
        ++first;

    double value = 0.0;
    const auto [end, error] = std::from_chars (first, last, value);

    if (end != last || first == last)
        return std::nullopt;

    if (error == std::errc())
        return value;

    if (error != std::errc::result_out_of_range)
        return std::nullopt;

    // from_chars says only that it is out of range: strtod in the C locale says which way.
    static const locale_t c = ::newlocale (LC_ALL_MASK, "C", static_cast<locale_t> (nullptr));
    const std::string text (first, last);
    return ::strtod_l (text.c_str(), nullptr, c);
}
