#include "AudioTestingThread.h"
#include "LevelTestingThread.h"
#include "LogCollector.h"
#include "MeasurementContract.h"
#include "MeasurementStatus.h"
#include "MessagePump.h"
#include "MessageRecorder.h"
#include "SonavelAudioEngine.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace
{
    constexpr int measurementTimeoutMs = 300000;
    using Direction = SoundDevice::Direction;

    std::vector<std::string> namesOf (const std::vector<const SoundDevice*>& devices)
    {
        std::vector<std::string> names;

        for (const auto* device : devices)
            names.push_back (device->name);

        return names;
    }

    class Devices : public testing::Test
    {
    protected:
        void SetUp() override { LogCollector::get().clear(); }
        void TearDown() override { SonavelAudioEngine::deleteInstance(); }

        static bool logged (const juce::String& text)
        {
            return LogCollector::get().lines().joinIntoString ("\n").contains (text);
        }

        // Runs one worker to its end and gives back what it says of itself.
        template <typename Worker>
        static MeasurementOutcome outcomeOf (Worker& worker)
        {
            MessageRecorder recorder;
            worker.addActionListener (&recorder);
            worker.startThread();
            const bool finished = recorder.waitFor (MeasurementContract::finishMeasure, 1, measurementTimeoutMs);
            worker.removeActionListener (&recorder);
            worker.stopThread (-1);
            return finished ? worker.getOutcome() : MeasurementOutcome::none;
        }
    };
}

TEST (SoundDeviceList, OffersMonitorsOnlyWhenThereIsNoOtherInputPutsTheDefaultFirstAndFindsByNameOrDescription)
{
    using D = SoundDevice;
    const SoundDeviceList desk (SoundDeviceList::Source::soundServer, {
        { "alsa_output.pci.analog-stereo.monitor", "Monitor of Built-in Audio", D::Direction::input, true, true },
        { "alsa_input.pci.analog-stereo", "Built-in Audio Analog Stereo", D::Direction::input, false, false },
        { "alsa_input.usb-mic", "USB measurement microphone", D::Direction::input, false, false },
        { "alsa_output.usb", "USB Audio", D::Direction::output, false, false },
        { "alsa_output.pci.analog-stereo", "Built-in Audio Analog Stereo", D::Direction::output, true, false },
    });

    const auto inputs = desk.offered (D::Direction::input);
    ASSERT_EQ (inputs.size(), 2u) << "the default monitor is no microphone while real ones exist";
    EXPECT_EQ (inputs[0]->name, "alsa_input.pci.analog-stereo");
    EXPECT_EQ (desk.offered (D::Direction::output)[0]->name, "alsa_output.pci.analog-stereo") << "the default first";
    EXPECT_EQ (desk.defaultDevice (D::Direction::input)->name, "alsa_output.pci.analog-stereo.monitor");

    EXPECT_EQ (desk.find (D::Direction::input, "alsa_input.usb-mic")->description, "USB measurement microphone");
    EXPECT_EQ (desk.find (D::Direction::input, "usb MEASUREMENT microphone")->name, "alsa_input.usb-mic");
    EXPECT_EQ (desk.find (D::Direction::output, "Built-in Audio Analog Stereo")->name, "alsa_output.pci.analog-stereo")
        << "a description both directions share names the device of the direction asked for";
    EXPECT_EQ (desk.find (D::Direction::input, "Monitor of Built-in Audio"), nullptr);
    EXPECT_EQ (desk.find (D::Direction::output, "USB measurement microphone"), nullptr);
    EXPECT_EQ (desk.routeVia(), AudioRoute::Via::soundServer);

    const SoundDeviceList monitorsOnly (SoundDeviceList::Source::soundServer, {
        { "room.monitor", "Monitor of Speakers", D::Direction::input, false, true },
        { "room_air.monitor", "Monitor of Room", D::Direction::input, true, true },
    });
    EXPECT_EQ (namesOf (monitorsOnly.offered (D::Direction::input)), (std::vector<std::string> { "room_air.monitor", "room.monitor" }));
    EXPECT_TRUE (monitorsOnly.offered (D::Direction::output).empty());
    EXPECT_EQ (monitorsOnly.defaultDevice (D::Direction::output), nullptr);

    EXPECT_EQ (SoundDeviceList().routeVia(), AudioRoute::Via::systemDefault);
    EXPECT_TRUE (SoundDeviceList().offered (D::Direction::input).empty());
}

TEST_F (Devices, InARoomWithTwoMicrophonesTheSilentDefaultFailsBeforeAnyNoiseAndTheChosenOneFindsTheMode)
{
    const VirtualRoom room ("--webcam-mic");
    ASSERT_TRUE (room.isRunning());

    // The sound server's own names and descriptions; monitors are no microphones here.
    const auto list = SoundDeviceList::scan (SoundDeviceSettings::serverTimeoutMs);
    ASSERT_EQ (list.getSource(), SoundDeviceList::Source::soundServer);
    EXPECT_EQ (namesOf (list.offered (Direction::input)), (std::vector<std::string> { "webcam_mic", "room_mic" }));
    EXPECT_EQ (namesOf (list.offered (Direction::output)), (std::vector<std::string> { "room", "room_air" }));
    ASSERT_NE (list.defaultDevice (Direction::input), nullptr);
    EXPECT_EQ (list.defaultDevice (Direction::input)->description, "HD Webcam Microphone");
    const auto* roomMicrophone = list.find (Direction::input, "measurement MICROPHONE");
    ASSERT_NE (roomMicrophone, nullptr) << "a description is matched ignoring case";
    EXPECT_EQ (roomMicrophone->name, "room_mic");
    EXPECT_EQ (list.find (Direction::input, "room_air.monitor"), nullptr);
    EXPECT_EQ (list.find (Direction::output, "Speakers"), list.defaultDevice (Direction::output));

    auto* engine = SonavelAudioEngine::getInstance();
    engine->getDevices().setList (list);
    MessageRecorder recorder;

    // The default microphone hears nothing: the run ends before the noise and is not made again.
    testing::internal::CaptureStdout();
    engine->startTest (0);
    ASSERT_TRUE (recorder.waitFor (MeasurementContract::finishMeasure, 1, measurementTimeoutMs));
    const auto printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ (engine->getLastOutcome(), MeasurementOutcome::silence);
    EXPECT_EQ (engine->getLastMicrophone(), "HD Webcam Microphone");
    EXPECT_TRUE (logged ("Measurement error: the microphone heard nothing, not even its own noise"));
    EXPECT_FALSE (logged ("measuring once more"));
    EXPECT_EQ (juce::String (printed).indexOf ("Full buffer ready"), -1) << "no block was recorded: " << printed;

    // The chosen one is in the room.
    engine->getDevices().choose (Direction::input, roomMicrophone);
    EXPECT_EQ (engine->getDevices().routeFor (Direction::input), (AudioRoute { AudioRoute::Via::soundServer, "room_mic" }));
    EXPECT_EQ (engine->getDevices().routeFor (Direction::output), AudioRoute()) << "the output stays the default";
    engine->startTest (0);
    ASSERT_TRUE (recorder.waitFor (MeasurementContract::finishMeasure, 2, measurementTimeoutMs));
    ASSERT_TRUE (engine->hasValidResults()) << LogCollector::get().lines().joinIntoString ("\n");
    EXPECT_EQ (engine->getLastMicrophone(), "Measurement microphone");
    EXPECT_NEAR (engine->getResults()->frequencyHz, VirtualRoom::defaultModeHz, VirtualRoom::defaultModeHz * 0.05f);

    // Chosen devices that went away while the program ran: said before any stream opens.
    AudioTestingThread measurement (*engine->getResults(), 0, { AudioRoute::Via::soundServer, "usb_mic" }, {});
    EXPECT_EQ (outcomeOf (measurement), MeasurementOutcome::inputMissing);
    EXPECT_EQ (measurement.getStatus(), statusAudioError);

    LevelTestingThread levelTest ({}, { AudioRoute::Via::soundServer, "usb_speakers" }, std::make_shared<InputLevelMeter>());
    EXPECT_EQ (outcomeOf (levelTest), MeasurementOutcome::outputMissing);
}

TEST_F (Devices, ARememberedDeviceThatIsGoneGivesWayToTheDefaultAndIsNamedUntilAnotherIsChosen)
{
    const VirtualRoom room;
    ASSERT_TRUE (room.isRunning());

    const auto file = juce::File::createTempFile ("devices.txt");
    const std::string remembered = "# KORVEN Sonavel: the sound devices chosen in the program\n"
                                   "input\tserver\talsa_input.usb-mic\tUSB measurement microphone\n"
                                   "output\tserver\troom\tSpeakers\n"
                                   "speakers\tleft\n";
    ASSERT_TRUE (file.replaceWithText (remembered, false, false, "\r\n")) << "as an editor elsewhere might leave it";

    SoundDeviceSettings settings;
    settings.rememberIn (file);
    EXPECT_EQ (settings.routeFor (Direction::input), (AudioRoute { AudioRoute::Via::soundServer, "alsa_input.usb-mic" }))
        << "until a list says otherwise, the remembered device is used";
    ASSERT_TRUE (pumpMessagesUntil ([&] { return settings.hasList(); }, 10000));

    EXPECT_TRUE (settings.pickInUse (Direction::input).isSystemDefault());
    EXPECT_EQ (settings.routeFor (Direction::input), AudioRoute());
    EXPECT_EQ (settings.describe (Direction::input), "Monitor of Room") << "the system's default, by its description";
    EXPECT_EQ (settings.getNotice (Direction::input),
               juce::String::fromUTF8 ("Your microphone \xe2\x80\x9cUSB measurement microphone\xe2\x80\x9d is not connected: "
                                       "the system's default is used instead."));
    EXPECT_EQ (settings.routeFor (Direction::output), (AudioRoute { AudioRoute::Via::soundServer, "room" }));
    EXPECT_TRUE (settings.getNotice (Direction::output).isEmpty());
    EXPECT_EQ (file.loadFileAsString().replace ("\r\n", "\n").toStdString(), remembered) << "it stays remembered for when it is back";

    // Another choice replaces it, in the file too; the notice goes.
    const auto* monitor = settings.getList().find (Direction::input, "room_air.monitor");
    ASSERT_NE (monitor, nullptr) << "with only monitors, monitors are offered";
    settings.choose (Direction::input, monitor);
    EXPECT_TRUE (settings.getNotice (Direction::input).isEmpty());
    const auto saved = DeviceChoice::load (file.getFullPathName().toStdString());
    EXPECT_EQ (saved.input, (DeviceChoice::Pick { AudioRoute::Via::soundServer, "room_air.monitor", "Monitor of Room" }));
    EXPECT_EQ (saved.output.name, "room");
    EXPECT_EQ (DeviceChoice::parse (saved.serialise()).serialise(), saved.serialise());

    settings.choose (Direction::output, nullptr);
    EXPECT_TRUE (DeviceChoice::load (file.getFullPathName().toStdString()).output.isSystemDefault());

    // Without a sound server PortAudio's devices are listed, and the server's device is gone too.
    {
        const VirtualRoom::NoServer noServer;
        settings.refresh();
        ASSERT_TRUE (pumpMessagesUntil ([&] { return settings.getList().getSource() != SoundDeviceList::Source::soundServer; }, 10000));
    }

    EXPECT_EQ (settings.getList().getSource(), SoundDeviceList::Source::portAudio);
    EXPECT_EQ (settings.routeFor (Direction::input), AudioRoute());
    EXPECT_TRUE (settings.getNotice (Direction::input).contains ("Monitor of Room"));
    file.deleteFile();
}
