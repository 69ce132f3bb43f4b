#include "KeptCurve.h"

#include <cstdio>

KeptCurve KeptCurve::measured (const MeasurementRecord& record, int mode, std::time_t when)
{
    KeptCurve curve;
    curve.values.reserve (static_cast<size_t> (record.getNumValues()));

    for (int32_t i = 0; i < record.getNumValues(); ++i)
        curve.values.push_back (record.valueAt (i));

    curve.speakers = speakersForMode (mode);
    curve.measuredAt = when;
    curve.notch = { record.qSetting, record.frequencyHz, record.depthSetting };
    return curve;
}

KeptCurve::Speakers KeptCurve::speakersForMode (int mode)
{
    switch (mode)
    {
        case 0: return Speakers::left;
        case 1: return Speakers::right;
        case 2: return Speakers::both;
        default: return Speakers::unknown;
    }
}

const char* KeptCurve::nameOf (Speakers speakers)
{
    switch (speakers)
    {
        case Speakers::left: return "left";
        case Speakers::right: return "right";
        case Speakers::both: return "both";
        case Speakers::unknown: break;
    }

    return "unknown";
}

KeptCurve::Speakers KeptCurve::speakersNamed (const std::string& name)
{
    for (auto speakers : { Speakers::left, Speakers::right, Speakers::both })
        if (name == nameOf (speakers))
            return speakers;

    return Speakers::unknown;
}

std::string KeptCurve::fileStem() const
{
    std::string stem = "Sonavel";

    if (speakers != Speakers::unknown)
        stem += std::string (" ") + nameOf (speakers);

    // Colons are refused by some file systems and file managers: hours and minutes take a dash.
    auto when = formatTime (measuredAt != 0 ? measuredAt : std::time (nullptr)).substr (0, 16);

    if (when.size() == 16)
        when[13] = '-';

    return stem + " " + when;
}

std::string KeptCurve::formatTime (std::time_t time)
{
    if (time == 0)
        return {};

    std::tm local {};
    char text[32] = {};

    if (localtime_r (&time, &local) == nullptr || std::strftime (text, sizeof (text), "%Y-%m-%d %H:%M:%S", &local) == 0)
        return {};

    return text;
}

std::time_t KeptCurve::parseTime (const std::string& text)
{
    std::tm local {};
    local.tm_isdst = -1;

    if (std::sscanf (text.c_str(), "%d-%d-%d %d:%d:%d", &local.tm_year, &local.tm_mon, &local.tm_mday,
                     &local.tm_hour, &local.tm_min, &local.tm_sec) != 6)
        return 0;

    local.tm_year -= 1900;
    local.tm_mon -= 1;
    const auto time = std::mktime (&local);
    return time == static_cast<std::time_t> (-1) ? 0 : time;
}
