#include "CalibrationChooser.h"
#include "SonavelAudioEngine.h"
#include "StepFive.h"
#include "StepSix.h"

#include <gtest/gtest.h>

namespace
{
    using Direction = SoundDevice::Direction;

    juce::StringArray itemsOf (juce::PopupMenu menu)
    {
        juce::StringArray items;

        for (juce::PopupMenu::MenuItemIterator item (menu); item.next();)
            if (! item.getItem().isSeparator)
                items.add (item.getItem().text + (item.getItem().isTicked ? " *" : "") + (item.getItem().isEnabled ? "" : " (off)"));

        return items;
    }

    juce::String quoted (const char* name) { return juce::String::fromUTF8 ("\xe2\x80\x9c") + name + juce::String::fromUTF8 ("\xe2\x80\x9d"); }
}

TEST (CalibrationChooser, ShowsTheFileOfTheMicrophoneInUseOffersNoneAndLoadAndRefusesWhatIsNoCalibration)
{
    const auto folder = juce::File::createTempFile ("calibration-chooser");
    ASSERT_TRUE (folder.createDirectory());
    const auto good = folder.getChildFile ("7103946.txt");
    const auto refused = folder.getChildFile ("notes.txt");
    ASSERT_TRUE (good.replaceWithText ("\"Sens Factor =-1.378dB, SERNO: 7103946\"\n20\t-3\t0\n200\t1\t0\n"));
    ASSERT_TRUE (refused.replaceWithText ("20 1\n40 1\n30 1\n"));

    SoundDeviceSettings devices;
    devices.setList ({ SoundDeviceList::Source::soundServer,
                       { { "room_mic", "Measurement microphone", Direction::input, true, false },
                         { "webcam_mic", "HD Webcam Microphone", Direction::input, false, false } } });
    MicrophoneCalibrations calibrations (devices);
    CalibrationChooser chooser (calibrations, CalibrationChooser::Caption::beside);

    EXPECT_EQ (chooser.getText(), "none");
    EXPECT_EQ (itemsOf (chooser.makeMenu()).joinIntoString ("|"),
               "Calibration of the microphone " + quoted ("Measurement microphone") + " (off)|None *|" + juce::String::fromUTF8 ("Load\xe2\x80\xa6"));
    EXPECT_TRUE (chooser.getTooltip().startsWith ("Load the calibration file"));

    EXPECT_FALSE (chooser.loadFrom (refused));
    EXPECT_EQ (chooser.getText(), "none");
    EXPECT_EQ (calibrations.getNotice(), "The frequencies in " + quoted ("notes.txt") + " do not rise at line 3: the file is not a microphone calibration.");

    ASSERT_TRUE (chooser.loadFrom (good));
    EXPECT_EQ (chooser.getText(), "7103946.txt");
    EXPECT_EQ (itemsOf (chooser.makeMenu()).joinIntoString ("|"),
               "Calibration of the microphone " + quoted ("Measurement microphone") + " (off)|None|7103946.txt, serial 7103946 * (off)|"
                   + juce::String::fromUTF8 ("Load\xe2\x80\xa6"));
    EXPECT_TRUE (chooser.getTooltip().contains ("\"7103946.txt\", serial 7103946, sensitivity -1.378 dB")) << chooser.getTooltip();

    // Another microphone has none of its own; back to the first, its file is there again.
    devices.choose (Direction::input, devices.getList().find (Direction::input, "webcam_mic"));
    EXPECT_EQ (chooser.getText(), "none");
    devices.choose (Direction::input, nullptr);
    EXPECT_EQ (chooser.getText(), "7103946.txt");

    chooser.pick (0);
    EXPECT_EQ (chooser.getText(), "7103946.txt") << "a dismissed menu changes nothing";
    chooser.pick (CalibrationChooser::itemNone);
    EXPECT_EQ (chooser.getText(), "none");
    folder.deleteRecursively();
}

TEST (CalibrationChooser, StepsFiveAndSixShowTheSameCalibrationAndSayWhyAFileWasRefused)
{
    const auto file = juce::File::createTempFile ("calibration.txt");
    ASSERT_TRUE (file.replaceWithText ("1000 0.1\n20000 1.5\n"));

    {
        StepFive five;
        StepSix six;
        five.getCalibrationChooser().loadFrom (file);
        const auto sentence = quoted (file.getFileName().toRawUTF8())
                              + " has no row between 20 Hz and 500 Hz, where the program measures, so it was not loaded.";
        EXPECT_EQ (five.getNotes().getNoticeText(), sentence);
        EXPECT_EQ (six.getNotes().getNoticeText(), sentence);

        ASSERT_TRUE (file.replaceWithText ("20 -1\n500 1\n"));
        ASSERT_TRUE (six.getCalibrationChooser().loadFrom (file));
        EXPECT_EQ (five.getCalibrationChooser().getText(), file.getFileName());
        EXPECT_TRUE (five.getNotes().getNoticeText().isEmpty());
        EXPECT_TRUE (six.getNotes().getNoticeText().isEmpty());

        // Locked with the rest of step six while a measurement runs.
        six.beginMeasurement();
        EXPECT_FALSE (six.getCalibrationChooser().isEnabled());
    }

    SonavelAudioEngine::deleteInstance();
    file.deleteFile();
}
