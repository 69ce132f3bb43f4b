#include "StepSix.h"

#include "AtomicFile.h"
#include "CurveText.h"
#include "EQCalculatorPopup.h"
#include "KeptState.h"
#include "MeasurementContract.h"
#include "QuotedName.h"
#include "SonavelAudioEngine.h"

#include <cstring>

namespace
{
    constexpr int speakerRadioGroup = 1;
    constexpr int passingNoticeMs = 4000;

    // The graph's frame with its level and frequency labels, clear of the strips above it and
    // of the footer below.
    const juce::Rectangle<int> graphPictureArea (20, 481, 960, 214);

    juce::Array<float> arrayOf (const KeptCurve& curve)
    {
        return juce::Array<float> (curve.values.data(), static_cast<int> (curve.values.size()));
    }
}

StepSix::StepSix()
    : WizardScreen ("Step Six", Picture::stepSixBackground, { -13, -2 }, BackgroundFit::centred)
{
    // Finish takes Next's place and request: in the last state the wizard ends the program.
    nextButton = makeImageButton ("Finish", "Exit the application...", juce::String ("new button"),
                                  { Picture::finishButtonNormal, Picture::finishButtonOver, Picture::finishButtonDown },
                                  true, this);
    backButton = makeImageButton ("Back", "Go back to the previous step...", juce::String ("new button"),
                                  { Picture::backButtonNormal, Picture::backButtonOver, Picture::backButtonDown },
                                  true, this);
    measureButton = makeImageButton ("Measure", "Click to perform a room measurement...", std::nullopt,
                                     { Picture::measureButtonNormal, Picture::measureButtonOver, Picture::measureButtonDown },
                                     false, this);
    holdButton = makeImageButton ("Hold", "Click to hold the current measurement on screen...", juce::String ("Hold Current"),
                                  { Picture::holdButtonNormal, Picture::holdButtonOver, Picture::holdButtonDown },
                                  false, this);
    leftButton = makeSpeakerToggle ("Left", "Measure the left speaker...");
    bothButton = makeSpeakerToggle ("Both", "Measure both speakers...");
    rightButton = makeSpeakerToggle ("Right", "Measure the right speaker...");
    leftProgress = makeProgress();
    rightProgress = makeProgress();

    graphView = std::make_unique<GraphView>();
    addAndMakeVisible (*graphView);
    graphView->setName ("GraphView");

    bothProgress = makeProgress();
    eqCalculatorButton = makeImageButton ("EQ Calculator", "Open the EQ Calculator...", juce::String ("new button"),
                                          { Picture::eqCalculatorButtonNormal, Picture::eqCalculatorButtonOver,
                                            Picture::eqCalculatorButtonDown },
                                          true, this);

    // What the last measurement means, in the free footer band between the buttons.
    notes = std::make_unique<MeasurementNotes>();
    addAndMakeVisible (*notes);

    // In the panel's free right-hand side, beside MEASURE and HOLD CURRENT.
    saveButton = makeImageButton ("Save", "Save the curves as text files that other analysers open, and the graph as a picture...",
                                  std::nullopt,
                                  { Picture::saveCurvesButtonNormal, Picture::saveCurvesButtonOver, Picture::saveCurvesButtonDown },
                                  false, this);
    openButton = makeImageButton ("Open", "Open a saved curve (of this or another analyser) as the held curve...",
                                  std::nullopt,
                                  { Picture::openCurveButtonNormal, Picture::openCurveButtonOver, Picture::openCurveButtonDown },
                                  false, this);

    // In the free space between the left speaker and MEASURE.
    addPositionButton = makeImageButton ("Add Position", "Move the microphone 20 to 40 cm around the listening position and measure the same "
                                                         "speakers again: the curve becomes the average of the positions...",
                                         std::nullopt,
                                         { Picture::addPositionButtonNormal, Picture::addPositionButtonOver, Picture::addPositionButtonDown },
                                         false, this);
    addPositionButton->setEnabled (false);

    // Under the current curve's key: how many positions it averages.
    positionsLabel = std::make_unique<juce::Label> ("Positions", juce::String());
    positionsLabel->setFont (juce::Font (12.0f));
    positionsLabel->setColour (juce::Label::textColourId, juce::Colour (0xFF5A5A5A));
    positionsLabel->setBorderSize ({});
    addAndMakeVisible (*positionsLabel);

    // In the panel's microphone corner, under its printed caption.
    auto& devices = SonavelAudioEngine::getInstance()->getDevices();
    microphoneChooser = std::make_unique<DeviceChooser> (devices, SoundDevice::Direction::input, juce::String());
    microphoneChooser->setTooltip ("Choose the microphone that measures the room...");
    addAndMakeVisible (*microphoneChooser);
    devices.addChangeListener (this);

    // Under the microphone, with its caption above it.
    auto& calibrations = SonavelAudioEngine::getInstance()->getCalibrations();
    calibrationChooser = std::make_unique<CalibrationChooser> (calibrations, CalibrationChooser::Caption::above);
    addAndMakeVisible (*calibrationChooser);
    calibrations.addChangeListener (this);

    leftButton->setToggleState (true, juce::sendNotification);

    // Each strip runs under its speaker while the engine measures it.
    leftProgress->addTriggerMessage (MeasurementContract::announcementOf (Speakers::left));
    rightProgress->addTriggerMessage (MeasurementContract::announcementOf (Speakers::right));
    bothProgress->addTriggerMessage (MeasurementContract::announcementOf (Speakers::both));

    graphView->setFrequencyScale ({ 20, 50, 100, 200, 500 }, 20.0f, 500.0f);
    setSize (screenWidth, screenHeight);
}

StepSix::~StepSix()
{
    // At shutdown the engine, and the settings with it, may already be gone.
    if (auto* engine = SonavelAudioEngine::getInstanceWithoutCreating())
    {
        engine->getDevices().removeChangeListener (this);
        engine->getCalibrations().removeChangeListener (this);
    }
}

void StepSix::changeListenerCallback (juce::ChangeBroadcaster*)
{
    auto& engine = *SonavelAudioEngine::getInstance();
    notes->showNotice ((engine.getDevices().getNotice (SoundDevice::Direction::input) + " "
                        + engine.getCalibrations().getNotice()).trim());
}

std::unique_ptr<juce::ImageButton> StepSix::makeSpeakerToggle (const juce::String& name, const juce::String& tooltip)
{
    auto toggle = makeImageButton (name, tooltip, std::nullopt,
                                   { Picture::speakerToggleOff, std::nullopt, Picture::speakerToggleOn },
                                   false, this);
    toggle->setRadioGroupId (speakerRadioGroup);
    toggle->setClickingTogglesState (true);
    return toggle;
}

std::unique_ptr<ProgressSlider> StepSix::makeProgress()
{
    auto progress = std::make_unique<ProgressSlider>();
    addChildComponent (*progress);
    return progress;
}

void StepSix::resized()
{
    WizardScreen::resized();
    measureButton->setBounds (404, 308, 191, 46);
    holdButton->setBounds (404, 382, 191, 46);
    leftButton->setBounds (312, 256, 23, 21);
    bothButton->setBounds (572, 256, 23, 21);
    rightButton->setBounds (828, 256, 23, 21);
    leftProgress->setBounds (98, 454, 281, 9);
    bothProgress->setBounds (358, 454, 281, 9);
    rightProgress->setBounds (618, 454, 281, 9);
    graphView->setBounds (77, 491, 862, 178);
    eqCalculatorButton->setBounds (22, 704, 95, 24);
    notes->setBounds (132, 699, 656, 50);
    saveButton->setBounds (818, 314, 150, 34);
    openButton->setBounds (818, 388, 150, 34);
    microphoneChooser->setBounds (71, 343, 126, 54);
    calibrationChooser->setBounds (71, 402, 126, 41);
    addPositionButton->setBounds (284, 308, 108, 46);
    positionsLabel->setBounds (623, 340, 96, 15);
}

void StepSix::buttonClicked (juce::Button* button)
{
    if (button == measureButton.get())
    {
        addingPosition = false;
        sendStateRequest (requestAction);
    }
    else if (button == holdButton.get())
        holdCurrentCurve();
    else if (button == addPositionButton.get())
        addPosition();
    else if (button == eqCalculatorButton.get())
        showEqCalculator (this);
    else if (button == saveButton.get())
        chooseFileToSave();
    else if (button == openButton.get())
        chooseFileToOpen();
    else if (button == leftButton.get() || button == rightButton.get() || button == bothButton.get())
        addPositionButton->setEnabled (measureButton->isEnabled() && session.canAddPosition (getSelectedMode()));
    else
        WizardScreen::buttonClicked (button);
}

void StepSix::setControlsEnabled (bool enabled)
{
    for (auto* control : std::initializer_list<juce::Component*> { measureButton.get(), nextButton.get(), backButton.get(),
                                                                   holdButton.get(), leftButton.get(), rightButton.get(),
                                                                   bothButton.get(), saveButton.get(), openButton.get(),
                                                                   microphoneChooser.get(), calibrationChooser.get() })
        control->setEnabled (enabled);

    // A position is added to a curve of the same speakers only.
    addPositionButton->setEnabled (enabled && session.canAddPosition (getSelectedMode()));
}

int StepSix::getSelectedMode() const
{
    return isLeftSelected() ? 0 : (isRightSelected() ? 1 : 2);
}

void StepSix::addPosition()
{
    addingPosition = true;
    sendStateRequest (requestAction);
}

void StepSix::beginMeasurement()
{
    measuringMode = getSelectedMode();
    setControlsEnabled (false);
    graphView->setNotice ({});
    lastMeasurementValid = false;

    // An added position keeps the curve it joins on screen until the new average is there.
    if (addingPosition && session.canAddPosition (measuringMode))
        return;

    addingPosition = false;
    session.current.reset();
    graphView->setResponse (nullptr, nullptr, false);
    graphView->setSpread ({}, {});
    positionsLabel->setText ({}, juce::dontSendNotification);
    notes->clear();
}

void StepSix::endMeasurement()
{
    auto* engine = SonavelAudioEngine::getInstance();
    lastMeasurementValid = engine->hasValidResults();
    auto* results = engine->getResults();
    const bool added = addingPosition;
    addingPosition = false;

    if (lastMeasurementValid && results != nullptr)
    {
        session.measured (*results, engine->getGains(), measuringMode, std::time (nullptr), added, engine->getLastCalibration());
        showCurrentCurve (true);
        notes->showClipWarning (engine->wasLastCaptureClipped());

        if (session.current->positions > 1)
            juce::Logger::writeToLog ("Averaged " + juce::String (session.current->positions) + " microphone positions.");
    }
    else
    {
        // A position that failed leaves the average of the others as it was, to be measured again.
        const auto failure = MeasurementNotes::failureSentence (engine->getLastOutcome(), engine->getLastMicrophone(),
                                                                engine->getLastOutput());

        if (! added)
        {
            session.current.reset();
            graphView->setResponse (nullptr, nullptr, false);
        }

        graphView->setNotice (added ? failure + " The positions measured before are kept." : failure);
    }

    setControlsEnabled (true);
    keepState();
    repaint();
}

void StepSix::showCurrentCurve (bool logVerdict)
{
    const auto& axis = SonavelAudioEngine::getInstance()->getFrequencyAxis();
    const auto& curve = session.current;

    if (! curve)
    {
        graphView->setResponse (nullptr, nullptr, false);
        graphView->setSpread ({}, {});
        positionsLabel->setText ({}, juce::dontSendNotification);
        return;
    }

    MeasurementRecord record;
    record.setContents (curve->notch.frequencyHz, curve->notch.qSetting, curve->notch.depthSetting, curve->values.data());
    graphView->setResponse (&record, &axis, true);

    std::vector<float> lowest, highest;

    if (session.spread (lowest, highest))
        graphView->setSpread (juce::Array<float> (lowest.data(), static_cast<int> (lowest.size())),
                              juce::Array<float> (highest.data(), static_cast<int> (highest.size())));
    else
        graphView->setSpread ({}, {});

    positionsLabel->setText (curve->positions > 1 ? juce::String (curve->positions) + " positions" : juce::String(),
                             juce::dontSendNotification);
    notes->showSuggestion (curve->notch);
    showVerdict (logVerdict);
}

void StepSix::showVerdict (bool log)
{
    const auto verdict = session.verdict();
    const auto sentence = verdict ? juce::String::fromUTF8 (verdict->sentence.c_str()) : juce::String();
    notes->showVerdict (sentence);

    if (log && sentence.isNotEmpty())
        juce::Logger::writeToLog (sentence.replace (juce::String::fromUTF8 ("\xe2\x80\x93"), "-"));
}

void StepSix::holdCurrentCurve()
{
    graphView->holdResponse();
    graphView->setSpread ({}, {});
    session.hold();
    positionsLabel->setText ({}, juce::dontSendNotification);
    notes->showVerdict ({});
    addPositionButton->setEnabled (false);
    keepState();
}

void StepSix::rememberIn (const juce::File& file)
{
    stateFile = file;
    std::string problem;
    const auto path = stateFile.getFullPathName().toStdString();
    const auto state = KeptState::load (path, problem);

    if (! state)
    {
        // A first start has nothing to show; a damaged file must not stop the program.
        if (! problem.empty())
        {
            const auto aside = KeptState::setAside (path);
            juce::Logger::writeToLog (aside.empty()
                ? "The kept curves in " + stateFile.getFullPathName() + " are damaged (" + juce::String (problem)
                      + ") and could not be set aside: starting without them."
                : "Set aside damaged kept curves as " + juce::String (aside) + " (" + juce::String (problem)
                      + "): starting without them.");
        }

        return;
    }

    const auto& axis = SonavelAudioEngine::getInstance()->getFrequencyAxis();
    session.restore (*state);

    if (session.held)
        graphView->setHeldResponse (arrayOf (*session.held), axis);

    if (session.current)
    {
        showCurrentCurve (false);
    }
    else if (session.held && session.held->source.empty())
    {
        // Held after it was measured here: the footer said what to set for it, and still does.
        notes->showSuggestion (session.held->notch);
    }

    addPositionButton->setEnabled (session.canAddPosition (getSelectedMode()));
}

void StepSix::keepState() const
{
    if (stateFile == juce::File())
        return;

    if (! session.state().save (stateFile.getFullPathName().toStdString()))
        juce::Logger::writeToLog ("Could not keep the curves in " + stateFile.getFullPathName() + ".");
}

juce::File StepSix::documentsFolder()
{
    const auto documents = juce::File::getSpecialLocation (juce::File::userDocumentsDirectory);
    return documents.isDirectory() ? documents : juce::File::getSpecialLocation (juce::File::userHomeDirectory);
}

juce::File StepSix::chooserFolder() const
{
    return lastFolder.isDirectory() ? lastFolder : documentsFolder();
}

void StepSix::showNotice (const juce::String& text, bool passing)
{
    graphView->setNotice (text);
    passingNotice = passing ? text : juce::String();

    if (passing)
        startTimer (passingNoticeMs);
    else
        stopTimer();
}

void StepSix::timerCallback()
{
    stopTimer();

    // Unless something else has been said since.
    if (graphView->getNotice() == passingNotice)
        graphView->setNotice ({});
}

void StepSix::chooseFileToSave()
{
    if (! session.current && ! session.held)
    {
        showNotice ("There is no curve to save yet: measure first, or open a saved curve.", false);
        return;
    }

    const auto& primary = session.current ? *session.current : *session.held;
    chooser = std::make_unique<juce::FileChooser> (
        "Save the curves", chooserFolder().getChildFile (juce::String (primary.fileStem()) + ".txt"), "*.txt");
    chooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                              | juce::FileBrowserComponent::warnAboutOverwriting,
                          [screen = juce::Component::SafePointer<StepSix> (this)] (const juce::FileChooser& chosen)
                          {
                              if (screen != nullptr && chosen.getResult() != juce::File())
                                  screen->saveCurvesTo (chosen.getResult());
                          });
}

void StepSix::chooseFileToOpen()
{
    chooser = std::make_unique<juce::FileChooser> ("Open a saved curve as the held curve", chooserFolder(),
                                                   "*.txt;*.csv;*.frd;*.dat;*.tsv");
    chooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                          [screen = juce::Component::SafePointer<StepSix> (this)] (const juce::FileChooser& chosen)
                          {
                              if (screen != nullptr && chosen.getResult() != juce::File())
                                  screen->openCurveFrom (chosen.getResult());
                          });
}

bool StepSix::saveCurvesTo (const juce::File& chosenFile)
{
    if (! session.current && ! session.held)
        return false;

    const auto textFile = chosenFile.hasFileExtension ("") ? chosenFile.withFileExtension ("txt") : chosenFile;
    const auto folder = textFile.getParentDirectory();
    const auto pictureFile = textFile.withFileExtension ("png");

    // The picture shows the curves, not a sentence left over from before.
    graphView->setNotice ({});
    juce::MemoryOutputStream png;
    juce::PNGImageFormat().writeImageToStream (pictureOfGraph(), png);

    struct Output
    {
        juce::File file;
        std::string bytes;
    };

    std::vector<Output> outputs;

    for (auto& output : session.filesFor (textFile.getFullPathName().toStdString()))
        outputs.push_back ({ juce::File (juce::String::fromUTF8 (output.path.c_str())), std::move (output.bytes) });

    outputs.push_back ({ pictureFile, std::string (static_cast<const char*> (png.getData()), png.getDataSize()) });

    // Every file is written in full before any takes its name: a folder that refuses one gets none.
    std::vector<std::unique_ptr<AtomicFile>> files;

    for (const auto& output : outputs)
    {
        files.push_back (std::make_unique<AtomicFile> (output.file.getFullPathName().toStdString()));

        if (! files.back()->write (output.bytes))
        {
            showNotice ("The folder " + QuotedName::of (folder.getFullPathName()) + " cannot be written ("
                            + juce::String (std::strerror (files.back()->getError())).toLowerCase()
                            + "): nothing was saved.",
                        false);
            return false;
        }
    }

    for (auto& file : files)
        if (! file->commit())
        {
            showNotice ("The folder " + QuotedName::of (folder.getFullPathName()) + " cannot be written ("
                            + juce::String (std::strerror (file->getError())).toLowerCase() + "): the curves were not all saved.",
                        false);
            return false;
        }

    juce::StringArray names;

    for (const auto& output : outputs)
        names.add (QuotedName::of (output.file.getFileName()));

    const auto last = names.strings.removeAndReturn (names.size() - 1);
    lastFolder = folder;
    showNotice ("Saved " + names.joinIntoString (", ") + " and " + last + " in " + QuotedName::of (folder.getFullPathName()) + ".", true);
    return true;
}

bool StepSix::openCurveFrom (const juce::File& file)
{
    auto reading = CurveText::readFile (file.getFullPathName().toStdString());

    if (! reading.curve)
    {
        showNotice (juce::String::fromUTF8 (CurveText::explain (reading, file.getFileName().toStdString()).c_str()), false);
        return false;
    }

    reading.curve->source = file.getFileName().toStdString();
    session.held = std::move (reading.curve);
    graphView->setHeldResponse (arrayOf (*session.held), SonavelAudioEngine::getInstance()->getFrequencyAxis());
    lastFolder = file.getParentDirectory();
    showVerdict (true);
    keepState();
    showNotice ("Opened " + QuotedName::of (file.getFileName()) + " as the held curve.", true);
    return true;
}

juce::Image StepSix::pictureOfGraph()
{
    return createComponentSnapshot (graphPictureArea, true, 1.0f);
}

void StepSix::stateEntered()
{
    lastMeasurementValid = false;

    // A microphone plugged in or out while another screen was shown.
    SonavelAudioEngine::getInstance()->getDevices().refresh();
}

void StepSix::stateExited()
{
    lastMeasurementValid = false;
}
