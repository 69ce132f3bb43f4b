#include "Utf8Arguments.h"

bool Utf8Arguments::isValid (std::string_view text)
{
    for (size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char> (text[i]);

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        // The lead byte gives the length and the smallest and largest second byte: C0, C1 and
        // overlong E0 or F0 forms, UTF-16 surrogates (ED A0..BF) and beyond U+10FFFF refused.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;

        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        else
            return false;

        if (i + length > text.size())
            return false;

        for (size_t k = 1; k < length; ++k)
        {
            const auto byte = static_cast<unsigned char> (text[i + k]);

            if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF))
                return false;
        }

        i += length;
    }

    return true;
}

int Utf8Arguments::firstInvalid (int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] != nullptr && ! isValid (argv[i]))
            return i;

    return 0;
}
