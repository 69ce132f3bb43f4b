#include "LogCollector.h"
#include "MeasurementContract.h"
#include "MessageRecorder.h"
#include "SonavelAudioEngine.h"
#include "TrueResponse.h"
#include "VirtualRoom.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    using Direction = SoundDevice::Direction;

    const juce::String quoted (const char* name) { return juce::String::fromUTF8 ("\xe2\x80\x9c") + name + juce::String::fromUTF8 ("\xe2\x80\x9d"); }

    // A maker's file for a microphone -3 dB at 20 Hz and +1 dB at 200 Hz, the virtual room's plain
    // form of the same response, and a cheap capsule's stronger one in both forms.
    const char* const makersFile = "\"Sens Factor =-1.378dB, SERNO: 7103946\"\n"
                                   "20.000\t-3.000\t0.0\n60.000\t0.000\t0.0\n200.000\t1.000\t0.0\n";
    const char* const plainFile = "20 -3\n60 0\n200 1\n";
    const char* const cheapMakersFile = "; cheap electret capsule, serial 0042\n"
                                        "20\t-9,0\n40\t-5,5\n80\t-2,0\n150\t0,0\n300\t1,5\n500\t2,5\n2000\t4,0\n";
    const char* const cheapPlainFile = "20 -9\n40 -5.5\n80 -2\n150 0\n300 1.5\n500 2.5\n2000 4\n";

    juce::File writeTemporary (const juce::String& name, const char* text)
    {
        const auto file = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile (name);
        file.replaceWithText (text);
        return file;
    }

    // How far two curves in a measurement record's units lie apart over 20..500 Hz, in dB RMS.
    double rmsApartDb (const std::vector<float>& a, const std::vector<float>& b)
    {
        double sum = 0.0;
        int count = 0;

        for (int i = 0; i < TrueResponse::analysisLength / 2; ++i)
        {
            const auto hz = i * MeasurementContract::binWidthHz;

            if (hz < 20.0 || hz > 500.0)
                continue;

            const auto d = 20.0 * (static_cast<double> (a[static_cast<size_t> (i)]) - b[static_cast<size_t> (i)]);
            sum += d * d;
            ++count;
        }

        return std::sqrt (sum / count);
    }

    // The room's gains with the microphone taken out by a calibration, through the program's analysis.
    std::vector<float> corrected (const std::vector<double>& gains, const MicrophoneCorrection& correction)
    {
        SpectrumArray bins;

        if (! bins.allocate (static_cast<int32_t> (gains.size())))
            return {};

        for (int32_t i = 0; i < bins.size(); ++i)
            bins.point (i) = { static_cast<float> (gains[static_cast<size_t> (i)]), 0.0f,
                               static_cast<float> (i * MeasurementContract::binWidthHz) };

        correction.removeFrom (bins);
        std::vector<double> without (gains.size());

        for (int32_t i = 0; i < bins.size(); ++i)
            without[static_cast<size_t> (i)] = bins.point (i).magnitude;

        return TrueResponse::curve (without);
    }

    class Calibrations : public testing::Test
    {
    protected:
        void SetUp() override { LogCollector::get().clear(); }
        void TearDown() override { SonavelAudioEngine::deleteInstance(); }
    };
}

TEST_F (Calibrations, AreKeptPerMicrophoneReadAgainAndAFileThatHasGoneIsSaidOnceAndDropped)
{
    const auto folder = juce::File::createTempFile ("calibrations");
    ASSERT_TRUE (folder.createDirectory());
    const auto kept = folder.getChildFile ("KORVEN Sonavel calibrations.txt");
    const auto good = folder.getChildFile ("7103946.txt");
    const auto refused = folder.getChildFile ("readme.txt");
    ASSERT_TRUE (good.replaceWithText (makersFile));
    ASSERT_TRUE (refused.replaceWithText ("This folder holds the microphone's papers.\n"));

    SoundDeviceSettings devices;
    devices.setList (SoundDeviceList (SoundDeviceList::Source::soundServer,
                                      { { "webcam_mic", "HD Webcam Microphone", Direction::input, true, false },
                                        { "usb_mic", "USB measurement microphone", Direction::input, false, false },
                                        { "room", "Speakers", Direction::output, true, false } }));
    MicrophoneCalibrations calibrations (devices);
    calibrations.rememberIn (kept);
    EXPECT_EQ (calibrations.microphoneName(), "webcam_mic") << "the system's default, by its name";
    devices.choose (Direction::input, devices.getList().find (Direction::input, "usb_mic"));
    EXPECT_EQ (calibrations.microphoneName(), "usb_mic");
    EXPECT_EQ (calibrations.describe(), "none");

    // A file that is no calibration is refused with one sentence, and nothing changes.
    EXPECT_FALSE (calibrations.load (refused));
    EXPECT_EQ (calibrations.getNotice(), quoted ("readme.txt") + " holds no rows of a frequency and a level: the file is not a microphone calibration.");
    EXPECT_FALSE (calibrations.getCalibration());
    EXPECT_FALSE (kept.exists());

    ASSERT_TRUE (calibrations.load (good));
    EXPECT_TRUE (calibrations.getNotice().isEmpty());
    EXPECT_EQ (calibrations.describe(), "\"7103946.txt\", serial 7103946, sensitivity -1.378 dB");
    EXPECT_NEAR (calibrations.correction().levelDbAt (40.0), -3.0 + 3.0 * std::log (2.0) / std::log (3.0), 1e-9);
    EXPECT_EQ (CalibrationChoice::load (kept.getFullPathName().toStdString()).files,
               (std::map<std::string, std::string> { { "usb_mic", good.getFullPathName().toStdString() } }));

    // Each microphone has its own; the one in use decides.
    devices.choose (Direction::input, nullptr);
    EXPECT_EQ (calibrations.describe(), "none");
    EXPECT_TRUE (calibrations.correction().isNone());
    devices.choose (Direction::input, devices.getList().find (Direction::input, "usb_mic"));
    EXPECT_EQ (calibrations.getFile(), good);

    // Remembered across a restart; a run from the command line takes it without keeping anything.
    {
        MicrophoneCalibrations restarted (devices);
        restarted.rememberIn (kept);
        EXPECT_EQ (restarted.getFile(), good);

        MicrophoneCalibrations console (devices);
        console.takeChoiceFrom (kept);
        EXPECT_EQ (console.getFile(), good);
        console.useNone();
        EXPECT_EQ (console.describe(), "none");
        EXPECT_EQ (CalibrationChoice::load (kept.getFullPathName().toStdString()).files.size(), 1u);
    }

    // A file that has gone is said once and dropped, in the kept file too.
    ASSERT_TRUE (good.deleteFile());
    calibrations.update();
    const auto gone = "The calibration file " + quoted ("7103946.txt") + " of the microphone " + quoted ("USB measurement microphone")
                      + " is gone: curves are measured without calibration until another is loaded.";
    EXPECT_EQ (calibrations.getNotice(), gone);
    EXPECT_EQ (calibrations.describe(), "none");
    EXPECT_TRUE (CalibrationChoice::load (kept.getFullPathName().toStdString()).files.empty());
    calibrations.update();
    devices.setList (devices.getList());
    EXPECT_EQ (LogCollector::get().lines().joinIntoString ("\n").indexOf (gone), LogCollector::get().lines().joinIntoString ("\n").lastIndexOf (gone))
        << "said once";

    // None is remembered as no file at all.
    ASSERT_TRUE (good.replaceWithText (makersFile));
    ASSERT_TRUE (calibrations.load (good));
    calibrations.useNone();
    EXPECT_TRUE (CalibrationChoice::load (kept.getFullPathName().toStdString()).files.empty());
    EXPECT_FALSE (calibrations.getCalibration());

    // Loaded before the devices were listed, it is the system default's once they are.
    SoundDeviceSettings unlisted;
    MicrophoneCalibrations early (unlisted);
    early.rememberIn (kept);
    ASSERT_TRUE (early.load (good));
    EXPECT_TRUE (CalibrationChoice::load (kept.getFullPathName().toStdString()).files.empty()) << "a default without a name is not kept";
    unlisted.setList (devices.getList());
    EXPECT_EQ (early.getFile(), good);
    EXPECT_EQ (CalibrationChoice::load (kept.getFullPathName().toStdString()).files,
               (std::map<std::string, std::string> { { "webcam_mic", good.getFullPathName().toStdString() } }));
    folder.deleteRecursively();
}

TEST_F (Calibrations, AMeasurementThroughAMicrophoneWithAResponseGivesThePerfectMicrophonesCurveOnceItsFileIsLoaded)
{
    struct Microphone
    {
        const char* what;
        const char* plain;
        const char* makers;
    };

    for (const auto& microphone : { Microphone { "-3 dB at 20 Hz, +1 dB at 200 Hz", plainFile, makersFile },
                                    Microphone { "a cheap capsule", cheapPlainFile, cheapMakersFile } })
    {
        SCOPED_TRACE (microphone.what);
        const auto response = writeTemporary ("sonavel-microphone-response.txt", microphone.plain);
        const auto calibrationFile = writeTemporary ("sonavel-microphone-calibration.txt", microphone.makers);

        // The room's hiss far down, so that what is compared is the microphone, not the hiss.
        const VirtualRoom room ("--noise 70 --mic-response " + response.getFullPathName().toStdString());
        ASSERT_TRUE (room.isRunning());
        const auto perfect = room.trueResponse (0, false);
        const auto heard = room.trueResponse (0, true);
        ASSERT_FALSE (perfect.empty());

        const auto calibration = CalibrationFile::readFile (calibrationFile.getFullPathName().toStdString()).calibration;
        ASSERT_TRUE (calibration);
        const auto exact = corrected (room.trueGains (0, true), calibration->correction());
        std::cerr << microphone.what << ": the room's own curve through the microphone, corrected, lies "
                  << rmsApartDb (exact, perfect) << " dB RMS from a perfect microphone's; uncorrected " << rmsApartDb (heard, perfect)
                  << " dB RMS\n";
        EXPECT_LT (rmsApartDb (exact, perfect), 0.02);

        auto* engine = SonavelAudioEngine::getInstance();
        std::vector<float> measured[2];

        for (const bool calibrated : { false, true })
        {
            if (calibrated)
                ASSERT_TRUE (engine->getCalibrations().load (calibrationFile));
            else
                engine->getCalibrations().useNone();

            MessageRecorder recorder;
            testing::internal::CaptureStdout();
            engine->startTest (0);
            const bool finished = recorder.waitFor (MeasurementContract::finishMeasure, 1, 300000);
            testing::internal::GetCapturedStdout();
            ASSERT_TRUE (finished && engine->hasValidResults()) << LogCollector::get().lines().joinIntoString ("\n");

            const auto& record = *engine->getResults();
            for (int i = 0; i < record.getNumValues(); ++i)
                measured[calibrated].push_back (record.valueAt (i));

            EXPECT_EQ (engine->getLastCalibration(), calibrated ? calibration->describe ("sonavel-microphone-calibration.txt") : "none");
        }

        std::cerr << microphone.what << ": measured with its calibration " << rmsApartDb (measured[1], perfect)
                  << " dB RMS from a perfect microphone's curve, without it " << rmsApartDb (measured[0], perfect)
                  << " dB RMS (and " << rmsApartDb (measured[0], heard) << " dB RMS from the curve the microphone hears)\n";
        EXPECT_LT (rmsApartDb (measured[1], perfect), 0.15);
        EXPECT_LT (rmsApartDb (measured[0], heard), 0.15) << "without its calibration the microphone's own response stays in";
        EXPECT_GT (rmsApartDb (measured[0], perfect), 0.5);
        SonavelAudioEngine::deleteInstance();
        response.deleteFile();
        calibrationFile.deleteFile();
    }
}
