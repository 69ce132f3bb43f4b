#include "DrawnFrame.h"
#include "MessagePump.h"
#include "SonavelSpeakerSettingWidget.h"

#include <gtest/gtest.h>

namespace
{
    struct Knobs
    {
        explicit Knobs (SonavelSpeakerSettingWidget& widget)
            : q (dynamic_cast<QKnob*> (widget.getChildComponent (0))),
              freq (dynamic_cast<FreqKnob*> (widget.getChildComponent (1))),
              depth (dynamic_cast<DepthKnob*> (widget.getChildComponent (2)))
        {
        }

        QKnob* q;
        FreqKnob* freq;
        DepthKnob* depth;
    };

    // Remembers which of the widget's knobs told it about a change, in order.
    struct KnobListener final : juce::Slider::Listener
    {
        explicit KnobListener (const Knobs& knobs) : knobs (knobs) {}

        void sliderValueChanged (juce::Slider* slider) override
        {
            heard += slider == knobs.q ? "Q" : slider == knobs.freq ? "F" : slider == knobs.depth ? "D" : "?";
        }

        const Knobs& knobs;
        juce::String heard;
    };

    std::tuple<int, int, int> asTuple (const EqSettings& s) { return { s.qSetting, s.frequencyHz, s.depthSetting }; }
}

TEST (SonavelSpeakerSettingWidget, StartsAtQOneFortyHertzDepthOneWithKnobsOverThePanel)
{
    SonavelSpeakerSettingWidget widget;
    const Knobs knobs (widget);
    ASSERT_NE (knobs.q, nullptr);
    ASSERT_NE (knobs.freq, nullptr);
    ASSERT_NE (knobs.depth, nullptr);

    EXPECT_EQ (asTuple (widget.getSettings()), std::make_tuple (1, 40, 1));

    // Q, FREQ and DEPTH from left to right, each at its picture's size, apart, inside the panel.
    const auto picture = PictureCatalog::info (PictureCatalog::qKnobFrame (1));
    juce::Slider* inOrder[] = { knobs.q, knobs.freq, knobs.depth };

    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ (inOrder[i]->getWidth(), picture.width) << i;
        EXPECT_EQ (inOrder[i]->getHeight(), picture.height) << i;
        EXPECT_TRUE (widget.getLocalBounds().contains (inOrder[i]->getBounds())) << i;
        EXPECT_TRUE (i == 0 || inOrder[i]->getX() > inOrder[i - 1]->getRight()) << i;
    }
    EXPECT_EQ (knobs.q->getTooltip(), "1");
    EXPECT_EQ (knobs.freq->getTooltip(), "40");
    EXPECT_EQ (knobs.depth->getTooltip(), "1");
}

TEST (SonavelSpeakerSettingWidget, SettingsOutsideTheScalesAreLimitedByTheKnobs)
{
    SonavelSpeakerSettingWidget widget;
    const Knobs knobs (widget);
    DrawnFrame qFrame (PictureCatalog::qKnobFrame, 6);
    DrawnFrame freqFrame (PictureCatalog::freqKnobFrame, 32);
    DrawnFrame depthFrame (PictureCatalog::depthKnobFrame, 6);

    widget.setSettings ({ 7, 300, 0 }, false);

    EXPECT_EQ (asTuple (widget.getSettings()), std::make_tuple (6, 280, 1));
    EXPECT_EQ (qFrame.of (*knobs.q), 6);
    EXPECT_EQ (freqFrame.of (*knobs.freq), 32);
    EXPECT_EQ (depthFrame.of (*knobs.depth), 1);
    EXPECT_EQ (knobs.q->getTooltip(), "6");
    EXPECT_EQ (knobs.freq->getTooltip(), "280");
    EXPECT_EQ (knobs.depth->getTooltip(), "1");
}

TEST (SonavelSpeakerSettingWidget, KnobsBetweenWholeNumbersReadAsTheWholeNumberBelow)
{
    SonavelSpeakerSettingWidget widget;
    const Knobs knobs (widget);
    DrawnFrame qFrame (PictureCatalog::qKnobFrame, 6);

    // As a drag leaves them: the widget hears each change itself.
    knobs.q->setValue (5.99, juce::sendNotificationSync);
    knobs.freq->setValue (40.9, juce::sendNotificationSync);
    knobs.depth->setValue (2.5, juce::sendNotificationSync);

    EXPECT_EQ (asTuple (widget.getSettings()), std::make_tuple (5, 40, 2));
    EXPECT_EQ (qFrame.of (*knobs.q), 5);
    EXPECT_EQ (knobs.q->getTooltip(), "5");
    EXPECT_EQ (knobs.freq->getTooltip(), "40");
    EXPECT_EQ (knobs.depth->getTooltip(), "2");

    knobs.freq->setValue (120.5, juce::sendNotificationSync);
    EXPECT_EQ (knobs.freq->getTooltip(), "120");
}

TEST (SonavelSpeakerSettingWidget, AKnobListenerHearsTheKnobsButSetSettingsOnlyWhenAskedAndLater)
{
    SonavelSpeakerSettingWidget widget;
    const Knobs knobs (widget);
    KnobListener listener (knobs);
    pumpMessages (20);
    widget.addKnobListener (&listener);

    knobs.depth->setValue (3.0, juce::sendNotificationSync);
    knobs.q->setValue (2.0, juce::sendNotificationSync);
    knobs.freq->setValue (90.0, juce::sendNotificationSync);
    EXPECT_EQ (listener.heard, "DQF");

    listener.heard.clear();
    widget.setSettings ({ 4, 150, 5 }, false);
    pumpMessages (50);
    EXPECT_EQ (listener.heard, "");
    EXPECT_EQ (asTuple (widget.getSettings()), std::make_tuple (4, 150, 5));

    widget.setSettings ({ 5, 160, 6 }, true);
    EXPECT_EQ (listener.heard, "");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return listener.heard.length() == 3; }));
    EXPECT_TRUE (listener.heard.containsChar ('Q') && listener.heard.containsChar ('F') && listener.heard.containsChar ('D'));
}
