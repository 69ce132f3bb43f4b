#include "KeptCurve.h"

namespace
{
    // Exactly the given number of digits, no sign.
    bool digits (const std::string& text, size_t at, size_t count, int& value)
    {
        if (at + count > text.size())
            return false;

        value = 0;

        for (size_t i = at; i < at + count; ++i)
        {
            if (text[i] < '0' || text[i] > '9')
                return false;

            value = value * 10 + (text[i] - '0');
        }

        return true;
    }

    // Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
    long long daysFromCivil (int year, int month, int day)
    {
        year -= month <= 2 ? 1 : 0;
        const long long era = (year >= 0 ? year : year - 399) / 400;
        const long long yearOfEra = year - era * 400;
        const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
        const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
        return era * 146097 + dayOfEra - 719468;
    }

    int daysInMonth (int year, int month)
    {
        static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return month == 2 && leap ? 29 : days[month - 1];
    }
}


KeptCurve KeptCurve::measured (const MeasurementRecord& record, int mode, std::time_t when)
{
    KeptCurve curve;
    curve.values.reserve (static_cast<size_t> (record.getNumValues()));

    for (int32_t i = 0; i < record.getNumValues(); ++i)
        curve.values.push_back (record.valueAt (i));

    curve.speakers = MeasurementContract::speakersForMode (mode);
    curve.measuredAt = when;
    curve.notch = { record.qSetting, record.frequencyHz, record.depthSetting };
    return curve;
}

std::string KeptCurve::fileStem() const
{
    std::string stem = "Sonavel";

    if (speakers != Speakers::unknown)
        stem += std::string (" ") + MeasurementContract::nameOf (speakers);

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
    char text[64] = {};

    if (localtime_r (&time, &local) == nullptr)
        return {};

    // An offset of whole minutes, or the time is written in UTC: historic local mean times
    // were seconds off it, and "+hhmm" has no room for those.
    if (local.tm_gmtoff % 60 != 0 && gmtime_r (&time, &local) == nullptr)
        return {};

    if (local.tm_year < 1000 - 1900 || local.tm_year > 9999 - 1900
        || std::strftime (text, sizeof (text), "%Y-%m-%d %H:%M:%S %z", &local) == 0)
        return {};

    return text;
}

std::time_t KeptCurve::parseTime (const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

    if (! (text.size() == 19 || text.size() == 25) || ! digits (text, 0, 4, year) || text[4] != '-'
        || ! digits (text, 5, 2, month) || text[7] != '-' || ! digits (text, 8, 2, day) || text[10] != ' '
        || ! digits (text, 11, 2, hour) || text[13] != ':' || ! digits (text, 14, 2, minute) || text[16] != ':'
        || ! digits (text, 17, 2, second))
        return 0;

    if (year < 1000 || month < 1 || month > 12 || day < 1 || day > daysInMonth (year, month) || hour > 23
        || minute > 59 || second > 59)
        return 0;

    if (text.size() == 25)
    {
        int offsetHours = 0, offsetMinutes = 0;

        if (text[19] != ' ' || (text[20] != '+' && text[20] != '-') || ! digits (text, 21, 2, offsetHours)
            || ! digits (text, 23, 2, offsetMinutes) || offsetHours > 23 || offsetMinutes > 59)
            return 0;

        const auto offset = (text[20] == '-' ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
        return static_cast<std::time_t> (daysFromCivil (year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset);
    }

    std::tm local {};
    local.tm_isdst = -1;
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    const auto time = std::mktime (&local);
    return time == static_cast<std::time_t> (-1) ? 0 : time;
}
