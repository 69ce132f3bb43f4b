#include "DeviceChooser.h"

#include "ChooserBox.h"
#include "SonavelSkin.h"

namespace
{
    // A sound server normally answers within milliseconds; one that does not gets the last list.
    constexpr int menuWaitMs = 1000;

    juce::String fromUtf8 (const std::string& text) { return juce::String::fromUTF8 (text.c_str()); }
}

DeviceChooser::DeviceChooser (SoundDeviceSettings& deviceSettings, SoundDevice::Direction chooserDirection,
                              const juce::String& captionText)
    : settings (&deviceSettings),
      direction (chooserDirection),
      caption (captionText)
{
    setMouseCursor (juce::MouseCursor::PointingHandCursor);
    settings->addChangeListener (this);
}

DeviceChooser::~DeviceChooser()
{
    if (settings != nullptr)
        settings->removeChangeListener (this);
}

juce::String DeviceChooser::getDeviceText() const
{
    if (settings == nullptr)
        return {};

    const auto description = settings->describe (direction);

    if (description.isNotEmpty())
        return description;

    return showsSystemDefault() ? juce::String ("System default") : juce::String();
}

bool DeviceChooser::showsSystemDefault() const
{
    return settings == nullptr || settings->pickInUse (direction).isSystemDefault();
}

juce::Rectangle<int> DeviceChooser::boxArea() const
{
    auto area = getLocalBounds();

    if (caption.isNotEmpty())
        area.removeFromLeft (ChooserBox::captionWidth);

    return area;
}

void DeviceChooser::paint (juce::Graphics& g)
{
    if (caption.isNotEmpty())
        ChooserBox::paintCaption (g, caption, getLocalBounds().withWidth (ChooserBox::captionWidth));

    const auto box = boxArea();
    auto text = ChooserBox::paintBox (g, box, hovering);
    const auto name = getDeviceText();
    const juce::String defaultNote ("system default");

    if (box.getHeight() < 34)
    {
        // One line: the device, and on the right whether it is the system's default.
        g.setFont (juce::Font (11.0f));
        g.setColour (SonavelSkin::grey);

        if (showsSystemDefault() && name != "System default")
        {
            g.drawText (defaultNote, text, juce::Justification::centredRight, false);
            text.removeFromRight (g.getCurrentFont().getStringWidth (defaultNote) + 8);
        }

        g.setFont (juce::Font (12.5f));
        g.setColour (SonavelSkin::ink);
        g.drawText (name, text, juce::Justification::centredLeft, true);
        return;
    }

    // Narrow and tall: the device over up to two lines, the default note below.
    const bool noted = showsSystemDefault() && name != "System default";
    const auto noteArea = noted ? text.removeFromBottom (13) : juce::Rectangle<int>();
    g.setFont (juce::Font (12.0f));
    g.setColour (SonavelSkin::ink);
    g.drawFittedText (name, text, juce::Justification::centredLeft, 2, 1.0f);

    if (noted)
    {
        g.setFont (juce::Font (10.5f));
        g.setColour (SonavelSkin::grey);
        g.drawText (defaultNote, noteArea, juce::Justification::centredLeft, false);
    }
}

void DeviceChooser::mouseEnter (const juce::MouseEvent&)
{
    hovering = true;
    repaint();
}

void DeviceChooser::mouseExit (const juce::MouseEvent&)
{
    hovering = false;
    repaint();
}

void DeviceChooser::mouseDown (const juce::MouseEvent& event)
{
    if (settings == nullptr || ! isEnabled() || ! boxArea().contains (event.getPosition()))
        return;

    // The list as it is now: a device plugged in a moment ago is offered too.
    menuWanted = true;
    settings->refresh();
    startTimer (menuWaitMs);
}

void DeviceChooser::changeListenerCallback (juce::ChangeBroadcaster*)
{
    repaint();

    if (menuWanted && settings != nullptr && settings->hasList())
        showMenu();
}

void DeviceChooser::timerCallback()
{
    showMenu();
}

juce::PopupMenu DeviceChooser::makeMenu()
{
    if (settings == nullptr)
        return {};

    const auto& list = settings->getList();
    const auto* systemDefault = list.defaultDevice (direction);
    const bool usesDefault = showsSystemDefault();
    juce::PopupMenu menu;

    offeredInMenu.clear();

    for (const auto* device : list.offered (direction))
        offeredInMenu.push_back (*device);

    menu.addItem (1, systemDefault != nullptr ? "System default: " + fromUtf8 (systemDefault->description) : juce::String ("System default"),
                  true, usesDefault);
    menu.addSeparator();

    const auto& inUse = settings->pickInUse (direction);

    for (size_t i = 0; i < offeredInMenu.size(); ++i)
        menu.addItem (static_cast<int> (i) + 2, fromUtf8 (offeredInMenu[i].description), true,
                      ! usesDefault && offeredInMenu[i].name == inUse.name);

    if (offeredInMenu.empty())
        menu.addItem (-1, settings->hasList() ? "No other device found" : "Looking for devices...", false, false);

    return menu;
}

void DeviceChooser::pick (int itemId)
{
    if (settings == nullptr)
        return;

    if (itemId == 1)
        settings->choose (direction, nullptr);
    else if (itemId >= 2 && static_cast<size_t> (itemId - 2) < offeredInMenu.size())
        settings->choose (direction, &offeredInMenu[static_cast<size_t> (itemId - 2)]);
}

void DeviceChooser::showMenu()
{
    stopTimer();

    if (! menuWanted)
        return;

    menuWanted = false;
    juce::Component::SafePointer<DeviceChooser> self (this);
    makeMenu().showMenuAsync (juce::PopupMenu::Options().withTargetScreenArea (localAreaToGlobal (boxArea())).withMinimumWidth (boxArea().getWidth()),
                              [self] (int itemId)
                              {
                                  if (self != nullptr)
                                      self->pick (itemId);
                              });
}
