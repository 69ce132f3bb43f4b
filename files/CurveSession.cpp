#include "CurveSession.h"

#include "CurveText.h"
#include "ListeningArea.h"
#include "MeasurementContract.h"
#include "NotchRecommendation.h"
#include "QuotedText.h"

namespace
{
    constexpr auto binWidthHz = static_cast<float> (MeasurementContract::binWidthHz);

    ResponseVerdict::Curve asVerdictCurve (const KeptCurve& curve)
    {
        return { curve.values, curve.speakers, curve.positions };
    }

    ListeningArea areaOf (const KeptCurve& curve)
    {
        ListeningArea area;

        for (const auto& gains : curve.positionGains)
            area.add (gains);

        return area;
    }

    // "/a/b/name.txt" and " position 2": "/a/b/name position 2.txt".
    std::string besides (const std::string& textPath, const std::string& suffix)
    {
        const auto slash = textPath.rfind ('/');
        const auto dot = textPath.rfind ('.');
        const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
        return extension ? textPath.substr (0, dot) + suffix + textPath.substr (dot) : textPath + suffix + ".txt";
    }

    std::string nameOf (const std::string& path)
    {
        const auto slash = path.rfind ('/');
        return QuotedText::of (slash == std::string::npos ? path : path.substr (slash + 1));
    }
}

void CurveSession::measured (const MeasurementRecord& record, std::vector<float> gains, int mode, std::time_t when, bool addPosition,
                            const std::string& calibration)
{
    // Positions measured with different calibrations would not say truly what was taken out of them.
    if (! (addPosition && canAddPosition (mode) && current->calibration == calibration))
    {
        current = KeptCurve::measured (record, mode, when);
        current->calibration = calibration;

        if (gains.size() == static_cast<size_t> (ListeningArea::binsPerPosition))
            current->positionGains.push_back (std::move (gains));

        return;
    }

    auto area = areaOf (*current);
    std::vector<float> values;

    if (! area.add (gains) || ! area.response (values))
        return;

    current->positionGains.push_back (std::move (gains));
    current->positions = area.count();
    current->values = std::move (values);
    current->measuredAt = when;
    current->notch = recommendNotch (current->values.data(), static_cast<int32_t> (current->values.size()), binWidthHz);
}

bool CurveSession::canAddPosition (int mode) const
{
    return current && current->source.empty() && current->speakers == MeasurementContract::speakersForMode (mode)
           && ! current->positionGains.empty() && static_cast<int32_t> (current->positionGains.size()) == current->positions
           && current->positions < KeptCurve::maximumPositions;
}

void CurveSession::hold()
{
    held = std::move (current);
    current.reset();
}

bool CurveSession::spread (std::vector<float>& lowest, std::vector<float>& highest) const
{
    return current && current->positionGains.size() >= 2 && areaOf (*current).spread (lowest, highest);
}

std::optional<ResponseVerdict> CurveSession::verdict() const
{
    if (! current || ! held)
        return std::nullopt;

    return ResponseVerdict::of (asVerdictCurve (*held), asVerdictCurve (*current));
}

std::vector<CurveSession::Output> CurveSession::filesFor (const std::string& textPath) const
{
    std::vector<Output> outputs;

    if (! current && ! held)
        return outputs;

    auto primary = current ? *current : *held;
    const auto positions = current ? static_cast<int32_t> (current->positionGains.size()) : 0;
    std::vector<std::string> positionPaths;

    if (positions >= 2)
    {
        std::string names;

        for (int32_t p = 1; p <= positions; ++p)
        {
            positionPaths.push_back (besides (textPath, " position " + std::to_string (p)));
            names += (p > 1 ? ", " : "") + nameOf (positionPaths.back());
        }

        primary.remarks.push_back ("Average of " + std::to_string (positions)
                                   + " microphone positions: their mean power per bin, then the smoothing. Each position is in a file of its own: "
                                   + names + ".");
    }

    if (const auto judged = verdict(); judged && current)
        primary.remarks.push_back (judged->sentence);

    outputs.push_back ({ textPath, CurveText::format (primary) });

    if (positions >= 2)
    {
        const auto area = areaOf (*current);

        for (int32_t p = 0; p < positions; ++p)
        {
            KeptCurve one = *current;
            one.positionGains.clear();
            one.positions = 1;
            one.remarks = { "Position " + std::to_string (p + 1) + " of " + std::to_string (positions) + " of the average in "
                            + nameOf (textPath) + "." };

            if (! area.responseOf (p, one.values))
                continue;

            one.notch = recommendNotch (one.values.data(), static_cast<int32_t> (one.values.size()), binWidthHz);
            outputs.push_back ({ positionPaths[static_cast<size_t> (p)], CurveText::format (one) });
        }
    }

    if (current && held)
        outputs.push_back ({ besides (textPath, " held"), CurveText::format (*held) });

    return outputs;
}

KeptState CurveSession::state() const
{
    KeptState kept;
    kept.current = current;
    kept.held = held;
    return kept;
}

void CurveSession::restore (const KeptState& kept)
{
    current = kept.current;
    held = kept.held;
}
