#pragma once

#include <juce_graphics/juce_graphics.h>

// Every picture the program shows, built into the binary. The order groups the families so
// that a frame or a step can be reached by adding to the first one of its run.
enum class Picture
{
    splashBackground,
    roomSetupBackground,
    speakerHeightBackground,
    roomAnalysisBackground,
    stepFourBackground,
    stepFiveBackground,
    stepSixBackground,
    eqCalculatorBackground,
    roomLayoutDiagram,
    speakerSettingBackground,
    measureProgressBackground,
    nextButtonNormal,
    nextButtonOver,
    nextButtonDown,
    backButtonNormal,
    backButtonOver,
    backButtonDown,
    adviceTextANormal,
    adviceTextAOver,
    adviceTextBNormal,
    adviceTextBOver,
    adviceTextCNormal,
    adviceTextCOver,
    adviceTextDNormal,
    adviceTextDOver,
    adviceTextENormal,
    adviceTextEOver,
    adviceTextFNormal,
    adviceTextFOver,
    adviceTextGNormal,
    adviceTextGOver,
    layoutMarkerANormal,
    layoutMarkerADown,
    layoutMarkerBNormal,
    layoutMarkerBDown,
    layoutMarkerCNormal,
    layoutMarkerCDown,
    layoutMarkerDNormal,
    layoutMarkerDDown,
    layoutMarkerENormal,
    layoutMarkerEDown,
    layoutMarkerFNormal,
    layoutMarkerFDown,
    layoutMarkerGNormal,
    layoutMarkerGDown,
    noiseButtonNormal,
    noiseButtonOver,
    noiseButtonDown,
    finishButtonNormal,
    finishButtonOver,
    finishButtonDown,
    measureButtonNormal,
    measureButtonOver,
    measureButtonDown,
    holdButtonNormal,
    holdButtonOver,
    holdButtonDown,
    speakerToggleOff,
    speakerToggleOn,
    eqCalculatorButtonNormal,
    eqCalculatorButtonOver,
    eqCalculatorButtonDown,
    sliderStep1,
    sliderStep2,
    sliderStep3,
    sliderStep4,
    sliderStep5,
    sliderStep6,
    sliderStep7,
    sliderStep8,
    sliderStep9,
    spinnerUp,
    spinnerDown,
    spinnerLeft,
    spinnerRight,
    qKnobFrame1,
    qKnobFrame2,
    qKnobFrame3,
    qKnobFrame4,
    qKnobFrame5,
    qKnobFrame6,
    depthKnobFrame1,
    depthKnobFrame2,
    depthKnobFrame3,
    depthKnobFrame4,
    depthKnobFrame5,
    depthKnobFrame6,
    freqKnobFrame01,
    freqKnobFrame02,
    freqKnobFrame03,
    freqKnobFrame04,
    freqKnobFrame05,
    freqKnobFrame06,
    freqKnobFrame07,
    freqKnobFrame08,
    freqKnobFrame09,
    freqKnobFrame10,
    freqKnobFrame11,
    freqKnobFrame12,
    freqKnobFrame13,
    freqKnobFrame14,
    freqKnobFrame15,
    freqKnobFrame16,
    freqKnobFrame17,
    freqKnobFrame18,
    freqKnobFrame19,
    freqKnobFrame20,
    freqKnobFrame21,
    freqKnobFrame22,
    freqKnobFrame23,
    freqKnobFrame24,
    freqKnobFrame25,
    freqKnobFrame26,
    freqKnobFrame27,
    freqKnobFrame28,
    freqKnobFrame29,
    freqKnobFrame30,
    freqKnobFrame31,
    freqKnobFrame32,
    suggestionButtonNormal,
    suggestionButtonOver,
    suggestionButtonDown,
    saveCurvesButtonNormal,
    saveCurvesButtonOver,
    saveCurvesButtonDown,
    openCurveButtonNormal,
    openCurveButtonOver,
    openCurveButtonDown,
    addPositionButtonNormal,
    addPositionButtonOver,
    addPositionButtonDown,
    count
};

struct PictureInfo
{
    const char* name;   // the picture's catalog name, e.g. "nextButtonNormal"
    int width;
    int height;
    bool hasAlpha;
};

namespace PictureCatalog
{
    constexpr int numPictures = static_cast<int> (Picture::count);

    const PictureInfo& info (Picture picture);

    // The embedded PNG bytes: the address is the image cache's key.
    const void* data (Picture picture);
    int size (Picture picture);

    // Decoded through juce::ImageCache, so repeated requests share one image.
    juce::Image get (Picture picture);

    // True while a picture has no artwork yet and the build embedded a labelled stand-in.
    bool isPlaceholder (Picture picture);

    // Runs of frames: step 1..6, frame 1..32, strip step 1..9.
    Picture qKnobFrame (int step);
    Picture depthKnobFrame (int step);
    Picture freqKnobFrame (int frame);
    Picture sliderStep (int step);
}
