// The writers on values the readers never produce: curves with any floats on their bins, any
// time, any notch, a source's name, a calibration's text and device names with any bytes. What
// the program writes it reads back: the state and the device choice exactly, a curve file to its
// written precision, and no name breaks a file's lines.
#include "CurveComparison.h"
#include "DeviceChoice.h"
#include "KeptState.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace
{
    // Takes the input's bytes front to back; zeros once they run out.
    class Bytes final
    {
    public:
        Bytes (const uint8_t* bytes, size_t count) : data (bytes), size (count) {}

        template <typename Value>
        Value take()
        {
            Value value {};
            const auto count = std::min (sizeof (Value), size - used);
            std::memcpy (&value, data + used, count);
            used += count;
            return value;
        }

        // Up to the next byte 0xFF, which is not taken.
        std::string text()
        {
            std::string result;

            while (used < size && data[used] != 0xFF && result.size() < 200)
                result += static_cast<char> (data[used++]);

            used += used < size ? 1 : 0;
            return result;
        }

    private:
        const uint8_t* data;
        size_t size;
        size_t used = 0;
    };

    // A span of finite values (as measured or opened), anything at all outside it.
    KeptCurve curveFrom (Bytes& bytes)
    {
        KeptCurve curve;
        curve.values.assign (KeptCurve::numBins, std::numeric_limits<float>::quiet_NaN());
        const auto first = bytes.take<uint8_t>() % 200;
        const auto last = first + bytes.take<uint8_t>();
        const auto outside = bytes.take<float>();

        for (int bin = 0; bin < KeptCurve::numBins; ++bin)
        {
            auto value = bin >= first && bin <= last ? bytes.take<float>() : outside;
            curve.values[static_cast<size_t> (bin)] = bin >= first && bin <= last && ! std::isfinite (value) ? 0.0f : value;
        }

        curve.speakers = static_cast<Speakers> (bytes.take<uint8_t>() % 4);
        curve.measuredAt = static_cast<std::time_t> (bytes.take<int64_t>());
        curve.notch = { bytes.take<int32_t>(), bytes.take<int32_t>(), bytes.take<int32_t>() };
        curve.source = bytes.text();
        return curve;
    }

    long pointLines (const std::string& text)
    {
        long count = 0;

        for (size_t start = 0; start < text.size(); start = text.find ('\n', start) + 1)
        {
            count += text[start] != '*' ? 1 : 0;

            if (text.find ('\n', start) == std::string::npos)
                break;
        }

        return count;
    }

    bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
    {
        for (size_t i = 0; i < a.size(); ++i)
            if (! (std::isnan (a[i]) && std::isnan (b[i])) && std::memcmp (&a[i], &b[i], sizeof (float)) != 0)
                return false;

        return a.size() == b.size();
    }

    int drawnBins (const KeptCurve& curve)
    {
        int drawn = 0;

        for (int bin = 0; bin < KeptCurve::numBins; ++bin)
        {
            const auto hz = KeptCurve::binFrequency (bin);
            drawn += hz >= CurveText::lowestHz && hz <= CurveText::highestHz && std::isfinite (curve.values[static_cast<size_t> (bin)]) ? 1 : 0;
        }

        return drawn;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    Bytes bytes (data, size);
    KeptState state;
    state.current = curveFrom (bytes);
    state.held = curveFrom (bytes);

    DeviceChoice choice;
    choice.input = { AudioRoute::Via::soundServer, bytes.text(), bytes.text() };
    choice.output = { AudioRoute::Via::portAudio, bytes.text(), bytes.text() };

    // A comment line loses the spaces at its ends; anything else in a calibration's text is kept.
    for (auto* curve : { &*state.current, &*state.held })
    {
        const auto text = bytes.text();
        const auto first = text.find_first_not_of (' ');
        curve->calibration = first == std::string::npos ? std::string() : text.substr (first, text.find_last_not_of (' ') - first + 1);
    }

    for (const auto& curve : { *state.current, *state.held })
    {
        const auto text = CurveText::format (curve);
        require (pointLines (text) == drawnBins (curve), "a curve file has one line per point and no line broken by a name");

        const auto stem = curve.fileStem();
        require (stem.find_first_of ("/:\\\n\r\t") == std::string::npos, "a suggested file name has no character a file system or a line refuses");

        if (drawnBins (curve) >= 2)
            requireWrittenAndReadBack (curve);
        else
            require (! CurveText::parse (text).curve, "a file with fewer than two points is refused");
    }

    std::string problem;
    const auto written = state.serialise();
    const auto kept = KeptState::parse (written, problem);
    require (kept.has_value(), "the state the program writes reads back");
    require (kept->serialise() == written, "and is the same state");

    for (const auto& [before, after] : { std::pair { &*state.current, &*kept->current }, std::pair { &*state.held, &*kept->held } })
    {
        require (after->source == before->source && after->measuredAt == before->measuredAt && after->notch == before->notch
                     && after->speakers == before->speakers && after->calibration == before->calibration,
                 "a kept curve's details read back exactly");
        require (sameBits (after->values, before->values), "a kept curve's values read back bit for bit (any NaN as a NaN)");
    }

    const auto again = DeviceChoice::parse (choice.serialise());

    for (const auto& [before, after] : { std::pair { &choice.input, &again.input }, std::pair { &choice.output, &again.output } })
    {
        if (before->isSystemDefault())
            require (after->isSystemDefault(), "a default stays the default");
        else
            require (*after == *before && after->description == before->description, "a device's name and description read back exactly");
    }

    return 0;
}
