#include "CalibrationChooser.h"

#include "ChooserBox.h"
#include "SonavelSkin.h"

namespace
{
    const juce::String caption ("CALIBRATION");
    constexpr int itemInUse = 3;

    juce::String fromUtf8 (const std::string& text) { return juce::String::fromUTF8 (text.c_str()); }
}

CalibrationChooser::CalibrationChooser (MicrophoneCalibrations& microphoneCalibrations, Caption captionPlace)
    : calibrations (&microphoneCalibrations),
      where (captionPlace)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
    calibrations->addChangeListener (this);
}

CalibrationChooser::~CalibrationChooser()
{
    if (calibrations != nullptr)
        calibrations->removeChangeListener (this);
}

juce::String CalibrationChooser::getText() const
{
    if (calibrations == nullptr || ! calibrations->getCalibration())
        return "none";

    return calibrations->getFile().getFileName();
}

juce::Rectangle<int> CalibrationChooser::boxArea() const
{
    auto area = getLocalBounds();

    if (where == Caption::beside)
        area.removeFromLeft (ChooserBox::captionWidth);
    else
        area.removeFromTop (ChooserBox::captionHeight);

    return area;
}

void CalibrationChooser::paint (juce::Graphics& g)
{
    const auto box = boxArea();
    ChooserBox::paintCaption (g, caption, where == Caption::beside ? getLocalBounds().withWidth (ChooserBox::captionWidth)
                                                                    : getLocalBounds().withHeight (ChooserBox::captionHeight - 3));
    auto text = ChooserBox::paintBox (g, box, hovering);
    const bool none = calibrations == nullptr || ! calibrations->getCalibration();

    // Beside a wide box: the serial number on the right, as the file gives it.
    if (! none && where == Caption::beside && ! calibrations->getCalibration()->serial.empty())
    {
        const auto serial = "serial " + fromUtf8 (calibrations->getCalibration()->serial);
        g.setFont (juce::Font (11.0f));
        g.setColour (SonavelSkin::grey);
        g.drawText (serial, text, juce::Justification::centredRight, true);
        text.removeFromRight (g.getCurrentFont().getStringWidth (serial) + 8);
    }

    g.setFont (juce::Font (12.5f));
    g.setColour (none ? SonavelSkin::grey : SonavelSkin::ink);
    g.drawText (getText(), text, juce::Justification::centredLeft, true);
}

juce::String CalibrationChooser::getTooltip()
{
    if (calibrations == nullptr || ! calibrations->getCalibration())
        return "Load the calibration file that came with the measurement microphone: its own response is taken out of "
               "every curve measured with it...";

    return "The microphone's calibration: " + fromUtf8 (calibrations->describe())
           + ". Its response is taken out of every curve measured with this microphone...";
}

void CalibrationChooser::mouseEnter (const juce::MouseEvent&)
{
    hovering = true;
    repaint();
}

void CalibrationChooser::mouseExit (const juce::MouseEvent&)
{
    hovering = false;
    repaint();
}

void CalibrationChooser::mouseDown (const juce::MouseEvent& event)
{
    if (calibrations == nullptr || ! isEnabled() || ! boxArea().contains (event.getPosition()))
        return;

    juce::Component::SafePointer<CalibrationChooser> self (this);
    makeMenu().showMenuAsync (juce::PopupMenu::Options().withTargetScreenArea (localAreaToGlobal (boxArea()))
                                                        .withMinimumWidth (boxArea().getWidth()),
                              [self] (int itemId)
                              {
                                  if (self != nullptr)
                                      self->pick (itemId);
                              });
}

juce::PopupMenu CalibrationChooser::makeMenu() const
{
    juce::PopupMenu menu;

    if (calibrations == nullptr)
        return menu;

    const auto& calibration = calibrations->getCalibration();
    // A caption in grey: JUCE sizes a section header for plain text and draws it bold, cut short.
    menu.addItem (-1, "Calibration of " + calibrations->namedMicrophone(), false, false);
    menu.addItem (itemNone, "None", true, ! calibration);

    if (calibration)
        menu.addItem (itemInUse, calibrations->getFile().getFileName()
                                     + (calibration->serial.empty() ? juce::String() : ", serial " + fromUtf8 (calibration->serial)),
                      false, true);

    menu.addSeparator();
    menu.addItem (itemLoad, juce::String::fromUTF8 ("Load\xe2\x80\xa6"));
    return menu;
}

void CalibrationChooser::pick (int itemId)
{
    if (calibrations == nullptr)
        return;

    if (itemId == itemNone)
        calibrations->useNone();
    else if (itemId == itemLoad)
        chooseFile();
}

void CalibrationChooser::chooseFile()
{
    const auto inUse = calibrations->getFile();
    const auto documents = juce::File::getSpecialLocation (juce::File::userDocumentsDirectory);
    const auto folder = inUse.getParentDirectory().isDirectory() ? inUse.getParentDirectory()
                        : documents.isDirectory()                ? documents
                                                                 : juce::File::getSpecialLocation (juce::File::userHomeDirectory);

    fileChooser = std::make_unique<juce::FileChooser> ("Load the calibration file of " + calibrations->namedMicrophone(),
                                                       folder, "*.txt;*.cal;*.frd;*.csv;*.dat;*.tsv;*.mic");
    juce::Component::SafePointer<CalibrationChooser> self (this);
    fileChooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                              [self] (const juce::FileChooser& chosen)
                              {
                                  if (self != nullptr && chosen.getResult() != juce::File())
                                      self->loadFrom (chosen.getResult());
                              });
}

bool CalibrationChooser::loadFrom (const juce::File& chosen)
{
    return calibrations != nullptr && calibrations->load (chosen);
}

void CalibrationChooser::changeListenerCallback (juce::ChangeBroadcaster*)
{
    repaint();
}
