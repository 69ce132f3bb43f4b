#include "DeviceListText.h"

juce::String DeviceListText::of (const SoundDeviceList& list)
{
    if (list.getSource() == SoundDeviceList::Source::none)
        return "No sound server answered and PortAudio found no sound devices.\n";

    juce::String text;
    const struct { SoundDevice::Direction direction; const char* heading; } groups[] = {
        { SoundDevice::Direction::input, "Inputs (--input NAME, or the description):\n" },
        { SoundDevice::Direction::output, "Outputs (--output NAME, or the description):\n" }
    };
    int nameWidth = 0;

    for (const auto& group : groups)
        for (const auto* device : list.offered (group.direction))
            nameWidth = std::max (nameWidth, juce::String::fromUTF8 (device->name.c_str()).length());

    for (const auto& group : groups)
    {
        text << group.heading;
        const auto offered = list.offered (group.direction);

        for (const auto* device : offered)
        {
            const auto name = juce::String::fromUTF8 (device->name.c_str());
            const auto description = juce::String::fromUTF8 (device->description.c_str());
            text << (device->isDefault ? "* " : "  ")
                 << (description == name ? name : name.paddedRight (' ', nameWidth) + "  " + description) << "\n";
        }

        if (offered.empty())
            text << "  (none)\n";
    }

    return text + "* the system's default\n";
}
