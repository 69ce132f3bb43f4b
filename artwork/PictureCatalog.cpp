#include "PictureCatalog.h"

#include "PictureData.h"
#include "PicturePlaceholders.h"

#include <array>
#include <cstring>
#include <string>

namespace
{
    // Same order as enum class Picture; sizes and alpha as drawn in artwork/pictures.tsv.
    const std::array<PictureInfo, PictureCatalog::numPictures> pictureInfos { {
        { "splashBackground", 1024, 768, true },
        { "roomSetupBackground", 1024, 768, true },
        { "speakerHeightBackground", 1024, 768, true },
        { "roomAnalysisBackground", 1024, 768, true },
        { "stepFourBackground", 1024, 768, true },
        { "stepFiveBackground", 1024, 768, true },
        { "stepSixBackground", 1024, 768, true },
        { "eqCalculatorBackground", 806, 569, true },
        { "roomLayoutDiagram", 462, 576, true },
        { "speakerSettingBackground", 366, 86, false },
        { "measureProgressBackground", 554, 203, true },
        { "nextButtonNormal", 82, 20, true },
        { "nextButtonOver", 82, 20, true },
        { "nextButtonDown", 82, 20, true },
        { "backButtonNormal", 82, 20, true },
        { "backButtonOver", 82, 20, true },
        { "backButtonDown", 82, 20, true },
        { "adviceTextANormal", 422, 93, true },
        { "adviceTextAOver", 422, 93, true },
        { "adviceTextBNormal", 380, 35, true },
        { "adviceTextBOver", 380, 35, true },
        { "adviceTextCNormal", 448, 35, true },
        { "adviceTextCOver", 448, 35, true },
        { "adviceTextDNormal", 380, 16, true },
        { "adviceTextDOver", 380, 16, true },
        { "adviceTextENormal", 394, 18, true },
        { "adviceTextEOver", 394, 18, true },
        { "adviceTextFNormal", 426, 35, true },
        { "adviceTextFOver", 426, 35, true },
        { "adviceTextGNormal", 441, 35, true },
        { "adviceTextGOver", 441, 35, true },
        { "layoutMarkerANormal", 17, 15, false },
        { "layoutMarkerADown", 17, 15, false },
        { "layoutMarkerBNormal", 18, 15, false },
        { "layoutMarkerBDown", 18, 15, false },
        { "layoutMarkerCNormal", 16, 15, false },
        { "layoutMarkerCDown", 16, 15, false },
        { "layoutMarkerDNormal", 18, 16, false },
        { "layoutMarkerDDown", 18, 15, false },
        { "layoutMarkerENormal", 17, 15, false },
        { "layoutMarkerEDown", 17, 15, false },
        { "layoutMarkerFNormal", 13, 15, false },
        { "layoutMarkerFDown", 13, 16, false },
        { "layoutMarkerGNormal", 18, 17, false },
        { "layoutMarkerGDown", 18, 16, false },
        { "noiseButtonNormal", 228, 47, true },
        { "noiseButtonOver", 228, 47, true },
        { "noiseButtonDown", 228, 47, true },
        { "finishButtonNormal", 82, 20, true },
        { "finishButtonOver", 82, 20, true },
        { "finishButtonDown", 82, 20, true },
        { "measureButtonNormal", 191, 46, true },
        { "measureButtonOver", 191, 46, true },
        { "measureButtonDown", 191, 46, true },
        { "holdButtonNormal", 191, 46, true },
        { "holdButtonOver", 191, 46, true },
        { "holdButtonDown", 191, 46, true },
        { "speakerToggleOff", 23, 21, false },
        { "speakerToggleOn", 23, 21, false },
        { "eqCalculatorButtonNormal", 88, 24, true },
        { "eqCalculatorButtonOver", 88, 24, true },
        { "eqCalculatorButtonDown", 88, 24, true },
        { "sliderStep1", 281, 9, true },
        { "sliderStep2", 281, 9, true },
        { "sliderStep3", 281, 9, true },
        { "sliderStep4", 281, 9, true },
        { "sliderStep5", 281, 9, true },
        { "sliderStep6", 281, 9, true },
        { "sliderStep7", 281, 9, true },
        { "sliderStep8", 281, 9, true },
        { "sliderStep9", 281, 9, true },
        { "spinnerUp", 17, 10, false },
        { "spinnerDown", 17, 10, false },
        { "spinnerLeft", 15, 24, true },
        { "spinnerRight", 15, 24, true },
        { "qKnobFrame1", 118, 86, false },
        { "qKnobFrame2", 118, 86, false },
        { "qKnobFrame3", 118, 86, false },
        { "qKnobFrame4", 118, 86, false },
        { "qKnobFrame5", 118, 86, false },
        { "qKnobFrame6", 118, 86, false },
        { "depthKnobFrame1", 118, 86, false },
        { "depthKnobFrame2", 118, 86, false },
        { "depthKnobFrame3", 118, 86, false },
        { "depthKnobFrame4", 118, 86, false },
        { "depthKnobFrame5", 118, 86, false },
        { "depthKnobFrame6", 118, 86, false },
        { "freqKnobFrame01", 118, 86, false },
        { "freqKnobFrame02", 118, 86, false },
        { "freqKnobFrame03", 118, 86, false },
        { "freqKnobFrame04", 118, 86, false },
        { "freqKnobFrame05", 118, 86, false },
        { "freqKnobFrame06", 118, 86, false },
        { "freqKnobFrame07", 118, 86, false },
        { "freqKnobFrame08", 118, 86, false },
        { "freqKnobFrame09", 118, 86, false },
        { "freqKnobFrame10", 118, 86, false },
        { "freqKnobFrame11", 118, 86, false },
        { "freqKnobFrame12", 118, 86, false },
        { "freqKnobFrame13", 118, 86, false },
        { "freqKnobFrame14", 118, 86, false },
        { "freqKnobFrame15", 118, 86, false },
        { "freqKnobFrame16", 118, 86, false },
        { "freqKnobFrame17", 118, 86, false },
        { "freqKnobFrame18", 118, 86, false },
        { "freqKnobFrame19", 118, 86, false },
        { "freqKnobFrame20", 118, 86, false },
        { "freqKnobFrame21", 118, 86, false },
        { "freqKnobFrame22", 118, 86, false },
        { "freqKnobFrame23", 118, 86, false },
        { "freqKnobFrame24", 118, 86, false },
        { "freqKnobFrame25", 118, 86, false },
        { "freqKnobFrame26", 118, 86, false },
        { "freqKnobFrame27", 118, 86, false },
        { "freqKnobFrame28", 118, 86, false },
        { "freqKnobFrame29", 118, 86, false },
        { "freqKnobFrame30", 118, 86, false },
        { "freqKnobFrame31", 118, 86, false },
        { "freqKnobFrame32", 118, 86, false },
        { "suggestionButtonNormal", 172, 26, true },
        { "suggestionButtonOver", 172, 26, true },
        { "suggestionButtonDown", 172, 26, true },
        { "saveCurvesButtonNormal", 150, 34, true },
        { "saveCurvesButtonOver", 150, 34, true },
        { "saveCurvesButtonDown", 150, 34, true },
        { "openCurveButtonNormal", 150, 34, true },
        { "openCurveButtonOver", 150, 34, true },
        { "openCurveButtonDown", 150, 34, true },
        { "addPositionButtonNormal", 108, 46, true },
        { "addPositionButtonOver", 108, 46, true },
        { "addPositionButtonDown", 108, 46, true },
    } };

    struct Bytes
    {
        const char* data = nullptr;
        int size = 0;
    };

    // Looked up by name once; the embedded arrays live for the whole program.
    const std::array<Bytes, PictureCatalog::numPictures>& embeddedBytes()
    {
        static const auto table = []
        {
            std::array<Bytes, PictureCatalog::numPictures> bytes {};
            for (size_t i = 0; i < bytes.size(); ++i)
            {
                const auto resource = juce::String (pictureInfos[i].name) + "_png";
                bytes[i].data = PictureData::getNamedResource (resource.toRawUTF8(), bytes[i].size);
                jassert (bytes[i].data != nullptr);
            }
            return bytes;
        }();
        return table;
    }

    size_t indexOf (Picture picture)
    {
        const auto index = static_cast<size_t> (picture);
        jassert (index < pictureInfos.size());
        return index;
    }

    // An out-of-range step shows the nearest end of the run rather than a foreign picture.
    Picture offset (Picture first, int steps, int count)
    {
        jassert (steps >= 0 && steps < count);
        return static_cast<Picture> (static_cast<int> (first) + juce::jlimit (0, count - 1, steps));
    }
}

namespace PictureCatalog
{
    const PictureInfo& info (Picture picture)
    {
        return pictureInfos[indexOf (picture)];
    }

    const void* data (Picture picture)
    {
        return embeddedBytes()[indexOf (picture)].data;
    }

    int size (Picture picture)
    {
        return embeddedBytes()[indexOf (picture)].size;
    }

    juce::Image get (Picture picture)
    {
        return juce::ImageCache::getFromMemory (data (picture), size (picture));
    }

    bool isPlaceholder (Picture picture)
    {
        const auto key = std::string ("|") + info (picture).name + "|";
        return std::strstr (placeholderPictures, key.c_str()) != nullptr;
    }

    Picture qKnobFrame (int step)       { return offset (Picture::qKnobFrame1, step - 1, 6); }
    Picture depthKnobFrame (int step)   { return offset (Picture::depthKnobFrame1, step - 1, 6); }
    Picture freqKnobFrame (int frame)   { return offset (Picture::freqKnobFrame01, frame - 1, 32); }
    Picture sliderStep (int step)       { return offset (Picture::sliderStep1, step - 1, 9); }
}
