#include "DeviceChooser.h"
#include "MessagePump.h"
#include "MicrophoneLevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
    using Direction = SoundDevice::Direction;

    // The texts of a menu's items, a tick marked with " *".
    juce::StringArray itemsOf (juce::PopupMenu& menu)
    {
        juce::StringArray items;

        for (juce::PopupMenu::MenuItemIterator item (menu); item.next();)
            if (! item.getItem().isSeparator)
                items.add (item.getItem().text + (item.getItem().isTicked ? " *" : "") + (item.getItem().isEnabled ? "" : " (off)"));

        return items;
    }

    // A microphone heard at a steady level: what the capture callback hands the meter.
    void hear (InputLevelMeter& meter, float peak)
    {
        std::vector<float> buffer (2048, 0.0f);
        buffer[100] = peak;
        meter.addSamples (buffer.data(), buffer.size());
    }

    float db (float gain) { return 20.0f * std::log10 (gain); }
}

TEST (DeviceChooser, OffersTheDefaultThenTheDevicesAndPicksWhatIsClicked)
{
    SoundDeviceSettings settings;
    DeviceChooser chooser (settings, Direction::input, "MICROPHONE");

    auto before = chooser.makeMenu();
    EXPECT_EQ (itemsOf (before).joinIntoString ("|"), "System default *|Looking for devices... (off)") << "before any list";
    EXPECT_EQ (chooser.getDeviceText(), "System default");

    settings.setList ({ SoundDeviceList::Source::soundServer,
                        { { "webcam_mic", "HD Webcam Microphone", Direction::input, true, false },
                          { "room_mic", "Measurement microphone", Direction::input, false, false },
                          { "room_mic.monitor", "Monitor of Speakers", Direction::input, false, true },
                          { "room", "Speakers", Direction::output, true, false } } });
    EXPECT_EQ (chooser.getDeviceText(), "HD Webcam Microphone");
    EXPECT_TRUE (chooser.showsSystemDefault());

    auto menu = chooser.makeMenu();
    EXPECT_EQ (itemsOf (menu).joinIntoString ("|"), "System default: HD Webcam Microphone *|HD Webcam Microphone|Measurement microphone");

    chooser.pick (3);
    EXPECT_EQ (chooser.getDeviceText(), "Measurement microphone");
    EXPECT_FALSE (chooser.showsSystemDefault());
    EXPECT_EQ (settings.routeFor (Direction::input), (AudioRoute { AudioRoute::Via::soundServer, "room_mic" }));
    EXPECT_EQ (settings.routeFor (Direction::output), AudioRoute()) << "the other direction is left alone";

    auto after = chooser.makeMenu();
    EXPECT_EQ (itemsOf (after).joinIntoString ("|"), "System default: HD Webcam Microphone|HD Webcam Microphone|Measurement microphone *");

    // The webcam's microphone by its own name is a choice of its own: it stays when the default changes.
    chooser.pick (2);
    EXPECT_EQ (settings.routeFor (Direction::input), (AudioRoute { AudioRoute::Via::soundServer, "webcam_mic" }));
    chooser.pick (0);
    EXPECT_EQ (settings.getChoice().input.name, "webcam_mic") << "a dismissed menu changes nothing";
    chooser.pick (1);
    EXPECT_TRUE (settings.getChoice().input.isSystemDefault());

    // The chosen device unplugged: the default stands in, and the box says which is used.
    chooser.makeMenu();
    chooser.pick (3);
    settings.setList ({ SoundDeviceList::Source::soundServer, { { "webcam_mic", "HD Webcam Microphone", Direction::input, true, false } } });
    EXPECT_EQ (chooser.getDeviceText(), "HD Webcam Microphone");
    EXPECT_TRUE (chooser.showsSystemDefault());
    EXPECT_TRUE (settings.getNotice (Direction::input).contains ("Measurement microphone"));
}

TEST (MicrophoneLevelMeter, ReadsOnlyWhileListeningAndSaysWhatToDoWithTheGain)
{
    auto source = std::make_shared<InputLevelMeter>();
    MicrophoneLevelMeter meter (source);
    const auto idle = meter.getVerdict();
    EXPECT_FALSE (meter.isListening());

    // Nothing read before start: a level then would be an old one.
    hear (*source, 0.5f);
    meter.start();
    source->reset();
    EXPECT_TRUE (meter.isListening());

    auto settleAt = [&] (float peak)
    {
        return pumpMessagesUntil ([&] { hear (*source, peak); return std::abs (meter.getShownDb() - db (peak)) < 0.5f; }, 3000);
    };

    ASSERT_TRUE (settleAt (0.25f));
    EXPECT_TRUE (meter.getVerdict().startsWith ("Good:")) << meter.getVerdict();

    // A drop shows at once only as far as the bar falls; the verdict follows the held peak.
    ASSERT_TRUE (settleAt (0.001f));
    ASSERT_TRUE (pumpMessagesUntil ([&] { hear (*source, 0.001f); return meter.getVerdict().startsWith ("Too quiet:"); }, 3000))
        << meter.getVerdict();

    ASSERT_TRUE (pumpMessagesUntil ([&] { hear (*source, 0.0f); return meter.getVerdict().startsWith ("Silent:"); }, 3000))
        << meter.getVerdict();
    EXPECT_EQ (meter.getShownDb(), MicrophoneLevelMeter::lowestDb);

    hear (*source, 1.0f);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return meter.getVerdict().startsWith ("Clipped:"); }, 3000));
    ASSERT_TRUE (settleAt (0.25f));
    EXPECT_TRUE (meter.getVerdict().startsWith ("Clipped:")) << "a clip stays said until the tone starts again";

    meter.stop();
    EXPECT_FALSE (meter.isListening());
    EXPECT_EQ (meter.getVerdict(), idle);

    // A microphone that delivers nothing at all: the input could not be opened.
    source->reset();
    meter.start();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return meter.getVerdict().startsWith ("No level:"); }, 3000)) << meter.getVerdict();
    meter.stop();
}
