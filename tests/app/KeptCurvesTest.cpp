#include "CommandLine.h"
#include "ComponentSearch.h"
#include "ConsoleMeasurement.h"
#include "CurveText.h"
#include "DeviceListText.h"
#include "KeptState.h"
#include "LogCollector.h"
#include "MessagePump.h"
#include "SonavelAudioEngine.h"
#include "SonavelStateMachine.h"
#include "StepSix.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
    KeptCurve curveWithAPeakAt (double hz, double db)
    {
        KeptCurve curve;
        curve.values.resize (KeptCurve::numBins);

        for (int i = 0; i < KeptCurve::numBins; ++i)
        {
            const auto octaves = std::log2 (std::max (1.0, KeptCurve::binFrequency (i)) / hz);
            curve.values[static_cast<size_t> (i)] = static_cast<float> (db * std::exp (-octaves * octaves / 0.05) / 20.0);
        }

        curve.speakers = Speakers::left;
        curve.measuredAt = KeptCurve::parseTime ("2026-12-08 14:32:05");
        return curve;
    }

    int countPixels (const juce::Image& image, bool (*matches) (juce::Colour))
    {
        int n = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                n += matches (image.getPixelAt (x, y)) ? 1 : 0;
        return n;
    }

    bool isBlue (juce::Colour c) { return c.getBlue() > 150 && c.getRed() < 80 && c.getGreen() < 80; }
    bool isCrimson (juce::Colour c) { return c.getRed() > 150 && c.getGreen() < 80 && c.getBlue() < 140; }

    // Step six of a wizard that keeps its curves in a folder of its own, as a fresh start would.
    class KeptCurves : public testing::Test
    {
    protected:
        KeptCurves() { juce::Logger::setCurrentLogger (&LogCollector::get()); LogCollector::get().clear(); }

        ~KeptCurves() override
        {
            folder.deleteRecursively();
            juce::Logger::setCurrentLogger (nullptr);
        }

        std::unique_ptr<SonavelStateMachine> start()
        {
            auto wizard = std::make_unique<SonavelStateMachine>();
            wizard->getStepSix().rememberIn (stateFile);
            return wizard;
        }

        void keep (const std::optional<KeptCurve>& current, const std::optional<KeptCurve>& held)
        {
            KeptState state;
            state.current = current;
            state.held = held;
            ASSERT_TRUE (state.save (stateFile.getFullPathName().toStdString()));
        }

        juce::File folder = juce::File::createTempFile ("kept-curves");
        juce::File stateFile = folder.getChildFile ("KORVEN Sonavel state.txt");

        void SetUp() override { ASSERT_TRUE (folder.createDirectory()); }
    };
}

TEST (CommandLine, TellsWhatWasAskedForAndWhatIsWrong)
{
    struct Case
    {
        juce::StringArray arguments;
        CommandLine::Task task;
        int mode;
        const char* saveFile;
    };

    using Task = CommandLine::Task;
    const Case cases[] = {
        { {}, Task::window, -1, "" },
        { { "--measure", "left" }, Task::measure, 0, "" },
        { { "--measure=right", "--save", "r.txt" }, Task::measure, 1, "r.txt" },
        { { "--save=b b.txt", "--measure", "both" }, Task::measure, 2, "b b.txt" },
        { { "--version" }, Task::version, -1, "" },
        { { "--help" }, Task::help, -1, "" },
        { { "-h", "--version" }, Task::help, -1, "" },
        { { "--measure" }, Task::wrongUsage, -1, "" },
        { { "--measure", "middle" }, Task::wrongUsage, -1, "" },
        { { "--measure", "left", "--measure", "right" }, Task::wrongUsage, 0, "" },
        { { "--save", "x.txt" }, Task::wrongUsage, -1, "x.txt" },
        { { "--version=2" }, Task::wrongUsage, -1, "" },
        { { "--list" }, Task::wrongUsage, -1, "" },
        { { "--list-devices" }, Task::listDevices, -1, "" },
        { { "--version", "--list-devices" }, Task::listDevices, -1, "" },
        { { "--measure", "left", "--input", "USB mic", "--output=room" }, Task::measure, 0, "" },
        { { "--input", "USB mic" }, Task::wrongUsage, -1, "" },
        { { "--output", "room", "--list-devices" }, Task::wrongUsage, -1, "" },
        { { "--list-devices", "--measure", "left" }, Task::wrongUsage, -1, "" },
        { { "--measure", "left", "--input" }, Task::wrongUsage, -1, "" },
        { { "--measure", "left", "--output=" }, Task::wrongUsage, -1, "" },
        { { "--measure", "left", "--save", "--input", "mic" }, Task::wrongUsage, -1, "" },
        { { "--measure", "left", "--save=--input" }, Task::measure, 0, "--input" },
        { { "--measure", "left", "--save", "-" }, Task::measure, 0, "-" },
        { { "left" }, Task::wrongUsage, -1, "" },
        { { "--measure", "left", "--cal", "7103946.txt" }, Task::measure, 0, "" },
        { { "--measure=both", "--cal=none" }, Task::measure, 2, "" },
        { { "--cal", "7103946.txt" }, Task::wrongUsage, -1, "" },
        { { "--measure", "left", "--cal=" }, Task::wrongUsage, -1, "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.arguments.joinIntoString (" ").toStdString());
        const auto line = CommandLine::parse (c.arguments);
        EXPECT_EQ (line.task, c.task);
        EXPECT_EQ (line.problem.isNotEmpty(), c.task == Task::wrongUsage);

        if (c.task != Task::wrongUsage)
        {
            EXPECT_EQ (line.mode, c.mode);
            EXPECT_EQ (line.saveFile, c.saveFile);
        }
    }

    const auto devices = CommandLine::parse ({ "--measure", "both", "--input=USB mic", "--output", "room" });
    EXPECT_EQ (devices.input, "USB mic");
    EXPECT_EQ (devices.output, "room");
    EXPECT_EQ (CommandLine::parse ({ "--measure", "left", "--cal", "mic cal.txt" }).calibration, "mic cal.txt");

    // Each kind of failure its own status, none of them success or the usage status.
    std::set<int> statuses;
    for (auto outcome : { MeasurementOutcome::noAudioDevice, MeasurementOutcome::devicesBusy, MeasurementOutcome::audioGivenUp,
                          MeasurementOutcome::streamStopped, MeasurementOutcome::silence, MeasurementOutcome::unsteady,
                          MeasurementOutcome::outOfMemory, MeasurementOutcome::inputMissing, MeasurementOutcome::pathTooSlow,
                          MeasurementOutcome::overran })
        statuses.insert (ConsoleMeasurement::statusFor (outcome));
    statuses.insert (ConsoleMeasurement::statusNotSaved);
    EXPECT_EQ (statuses.size(), 11u);
    EXPECT_EQ (ConsoleMeasurement::statusFor (MeasurementOutcome::outputMissing), ConsoleMeasurement::statusFor (MeasurementOutcome::inputMissing));
    EXPECT_EQ (statuses.count (0) + statuses.count (CommandLine::statusWrongUsage) + statuses.count (CommandLine::statusStopped), 0u);
    EXPECT_EQ (ConsoleMeasurement::statusFor (MeasurementOutcome::ok), 0);

    for (const auto status : statuses)
        EXPECT_TRUE (CommandLine::help().contains ("\n  " + juce::String (status).paddedRight (' ', 2) + " ")) << status << " is documented";
}

TEST (CommandLine, ListsTheDevicesANameOrDescriptionChoosesWithTheDefaultStarred)
{
    using Direction = SoundDevice::Direction;
    const SoundDeviceList server (SoundDeviceList::Source::soundServer,
                                  { { "webcam_mic", "HD Webcam Microphone", Direction::input, true, false },
                                    { "room_mic", "Measurement microphone", Direction::input, false, false },
                                    { "room_air.monitor", "Monitor of Room", Direction::input, false, true },
                                    { "room", "Speakers", Direction::output, true, false } });
    EXPECT_EQ (DeviceListText::of (server), "Inputs (--input NAME, or the description):\n"
                                                     "* webcam_mic  HD Webcam Microphone\n"
                                                     "  room_mic    Measurement microphone\n"
                                                     "Outputs (--output NAME, or the description):\n"
                                                     "* room        Speakers\n"
                                                     "* the system's default\n");

    // PortAudio's devices have only their names; none at all is said.
    const SoundDeviceList portAudio (SoundDeviceList::Source::portAudio, { { "pulse", "pulse", Direction::input, false, false } });
    EXPECT_EQ (DeviceListText::of (portAudio), "Inputs (--input NAME, or the description):\n"
                                                        "  pulse\n"
                                                        "Outputs (--output NAME, or the description):\n"
                                                        "  (none)\n"
                                                        "* the system's default\n");
    EXPECT_TRUE (DeviceListText::of ({}).startsWith ("No sound server answered"));
}

TEST_F (KeptCurves, StepSixShowsWhatWasKeptAndKeepsWhatChanges)
{
    auto measured = curveWithAPeakAt (65.0, 9.0);
    measured.notch = { 3, 65, 4 };
    keep (measured, curveWithAPeakAt (120.0, 6.0));

    {
        auto wizard = start();
        auto& stepSix = wizard->getStepSix();
        ASSERT_TRUE (stepSix.getCurrentCurve() && stepSix.getHeldCurve());
        EXPECT_EQ (stepSix.getHeldCurve()->values, curveWithAPeakAt (120.0, 6.0).values);
        EXPECT_EQ (stepSix.getGraph().getHeldTrace().size(), KeptCurve::numBins);
        EXPECT_EQ (stepSix.getNotes().getSuggestionText(),
                   juce::String::fromUTF8 ("Suggested rear-panel notch: FREQ 65 Hz \xc2\xb7 Q 3 \xc2\xb7 DEPTH 4"));

        const auto picture = stepSix.pictureOfGraph();
        EXPECT_GT (countPixels (picture, isBlue), 300) << "the kept measurement is drawn";
        EXPECT_GT (countPixels (picture, isCrimson), 300) << "and the kept held curve";

        // HOLD CURRENT: the measurement becomes the held curve, in the file too.
        findButton (stepSix, "Hold")->triggerClick();
        pumpMessages (20);
        EXPECT_FALSE (stepSix.getCurrentCurve());
    }

    auto wizard = start();
    auto& stepSix = wizard->getStepSix();
    EXPECT_FALSE (stepSix.getCurrentCurve());
    ASSERT_TRUE (stepSix.getHeldCurve());
    EXPECT_EQ (stepSix.getHeldCurve()->values, measured.values);
    EXPECT_EQ (stepSix.getHeldCurve()->notch, measured.notch);
    EXPECT_EQ (stepSix.getNotes().getSuggestionText(),
               juce::String::fromUTF8 ("Suggested rear-panel notch: FREQ 65 Hz \xc2\xb7 Q 3 \xc2\xb7 DEPTH 4"))
        << "held after it was measured, as the footer said before the restart";
    EXPECT_TRUE (LogCollector::get().lines().isEmpty()) << LogCollector::get().lines().joinIntoString ("\n");
}

TEST_F (KeptCurves, ADamagedStateFileIsSetAsideWithOneLogLineAndTheProgramStartsClean)
{
    stateFile.replaceWithText ("KORVEN Sonavel kept curves 1\ncurve current\nspeakers left\nmeas");
    auto wizard = start();

    EXPECT_FALSE (wizard->getStepSix().getCurrentCurve());
    EXPECT_FALSE (wizard->getStepSix().getHeldCurve());
    EXPECT_FALSE (stateFile.exists());
    EXPECT_TRUE (folder.getChildFile ("KORVEN Sonavel state.damaged.txt").existsAsFile());

    const auto lines = LogCollector::get().lines();
    ASSERT_EQ (lines.size(), 1) << lines.joinIntoString ("\n");
    EXPECT_TRUE (lines[0].startsWith ("Set aside damaged kept curves as ")) << lines[0];

    // From then on it keeps what it shows in a good file again.
    const auto other = folder.getChildFile ("other.txt");
    other.replaceWithText ("* from another analyser\n20 1 0\n500 1 0\n");
    ASSERT_TRUE (wizard->getStepSix().openCurveFrom (other));
    std::string problem;
    const auto kept = KeptState::load (stateFile.getFullPathName().toStdString(), problem);
    ASSERT_TRUE (kept && kept->held) << problem;
    EXPECT_EQ (kept->held->source, "other.txt");
}

TEST_F (KeptCurves, OpeningRefusesWhatIsNoResponseWithOneSentenceAndKeepsTheHeldCurve)
{
    auto wizard = start();
    auto& stepSix = wizard->getStepSix();
    const auto good = folder.getChildFile ("before.frd");
    good.replaceWithText ("* Freq(Hz) SPL(dB) Phase(degrees)\r\n40 -3 10\r\n65 6 0\r\n90 -3 -10\r\n");

    ASSERT_TRUE (stepSix.openCurveFrom (good));
    EXPECT_EQ (stepSix.getGraph().getNotice(), juce::String::fromUTF8 ("Opened \xe2\x80\x9c" "before.frd\xe2\x80\x9d as the held curve."));
    const auto held = stepSix.getHeldCurve()->values;
    EXPECT_NEAR (held[24] * 20.0f, 6.0f, 0.5f);   // 64.6 Hz

    const auto bad = folder.getChildFile ("notes.txt");
    bad.replaceWithText ("20 1\n40 1\n30 1\n");
    EXPECT_FALSE (stepSix.openCurveFrom (bad));
    EXPECT_EQ (stepSix.getGraph().getNotice(),
               juce::String::fromUTF8 (CurveText::explain (CurveText::readFile (bad.getFullPathName().toStdString()), "notes.txt").c_str()));
    EXPECT_EQ (stepSix.getHeldCurve()->source, "before.frd");
    EXPECT_EQ (stepSix.getHeldCurve()->values[24], held[24]);
    EXPECT_EQ (stepSix.getGraph().getHeldTrace()[24], held[24]);
}

TEST_F (KeptCurves, SavingWritesBothCurvesAndThePictureOrNothingAtAll)
{
    auto measured = curveWithAPeakAt (65.0, 9.0);
    measured.notch = { 3, 65, 4 };
    keep (measured, curveWithAPeakAt (120.0, 6.0));
    auto wizard = start();
    auto& stepSix = wizard->getStepSix();

    // A folder that cannot be written (a file where the folder should be, which even root
    // cannot write into): one sentence, and nothing written.
    const auto notAFolder = folder.getChildFile ("plain file");
    notAFolder.replaceWithText ("x");
    EXPECT_FALSE (stepSix.saveCurvesTo (notAFolder.getChildFile ("curves.txt")));
    EXPECT_TRUE (stepSix.getGraph().getNotice().startsWith (juce::String::fromUTF8 ("The folder \xe2\x80\x9c")));
    EXPECT_TRUE (stepSix.getGraph().getNotice().endsWith ("): nothing was saved.")) << stepSix.getGraph().getNotice();
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 2);

    const auto chosen = folder.getChildFile ("Sonavel left 2026-12-08 14-32");
    ASSERT_TRUE (stepSix.saveCurvesTo (chosen));
    const auto text = folder.getChildFile ("Sonavel left 2026-12-08 14-32.txt");
    const auto heldText = folder.getChildFile ("Sonavel left 2026-12-08 14-32 held.txt");
    const auto picture = folder.getChildFile ("Sonavel left 2026-12-08 14-32.png");

    const auto current = CurveText::readFile (text.getFullPathName().toStdString());
    ASSERT_TRUE (current.curve);
    EXPECT_EQ (current.curve->notch, measured.notch);
    EXPECT_NEAR (current.curve->values[24], measured.values[24], 0.0005f);
    const auto heldReading = CurveText::readFile (heldText.getFullPathName().toStdString());
    ASSERT_TRUE (heldReading.curve);
    EXPECT_NEAR (heldReading.curve->values[45], curveWithAPeakAt (120.0, 6.0).values[45], 0.0005f);

    const auto image = juce::ImageFileFormat::loadFrom (picture);
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (0, 0, 960, 214));
    EXPECT_GT (countPixels (image, isBlue), 300);
    EXPECT_GT (countPixels (image, isCrimson), 300);
    EXPECT_TRUE (stepSix.getGraph().getNotice().startsWith ("Saved ")) << stepSix.getGraph().getNotice();
}
