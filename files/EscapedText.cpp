#include "EscapedText.h"

namespace
{
    constexpr const char* hexDigits = "0123456789ABCDEF";

    int hexValue (char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';

        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;

        return -1;
    }
}

std::string EscapedText::escape (std::string_view text)
{
    std::string escaped;
    escaped.reserve (text.size());

    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char> (c);

        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\t')
            escaped += "\\t";
        else if (byte < 0x20 || byte == 0x7F)
            escaped += std::string ("\\x") + hexDigits[byte >> 4] + hexDigits[byte & 15];
        else
            escaped += c;
    }

    return escaped;
}

std::optional<std::string> EscapedText::unescape (std::string_view text)
{
    std::string plain;
    plain.reserve (text.size());

    for (size_t i = 0; i < text.size(); ++i)
    {
        const auto byte = static_cast<unsigned char> (text[i]);

        // What escape() writes as an escape never stands bare.
        if (byte < 0x20 || byte == 0x7F)
            return std::nullopt;

        if (text[i] != '\\')
        {
            plain += text[i];
            continue;
        }

        if (++i == text.size())
            return std::nullopt;

        switch (text[i])
        {
            case '\\': plain += '\\'; break;
            case 'n': plain += '\n'; break;
            case 'r': plain += '\r'; break;
            case 't': plain += '\t'; break;
            case 'x':
            {
                const int high = i + 2 < text.size() ? hexValue (text[i + 1]) : -1;
                const int low = high >= 0 ? hexValue (text[i + 2]) : -1;
                const auto value = static_cast<char> (high * 16 + low);

                // Only what escape() writes this way: the text reads back in one form only.
                if (low < 0 || value == '\n' || value == '\r' || value == '\t'
                    || ! (static_cast<unsigned char> (value) < 0x20 || static_cast<unsigned char> (value) == 0x7F))
                    return std::nullopt;

                plain += value;
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }

    return plain;
}
