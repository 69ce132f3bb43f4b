#include "CalibrationChoice.h"
#include "CalibrationFile.h"
#include "CurveText.h"
#include "KeptState.h"
#include "MeasurementContract.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace
{
    namespace fs = std::filesystem;

    class Folder final
    {
    public:
        Folder()
        {
            char pattern[] = "/tmp/sonavel-calibration-test.XXXXXX";
            path = ::mkdtemp (pattern);
        }

        ~Folder() { fs::remove_all (path); }

        std::string file (const std::string& name) const { return (path / name).string(); }

        fs::path path;
    };

    // A spectrum of gains of 1 on the measurement's bins.
    void unitGains (SpectrumArray& gains, int32_t count)
    {
        ASSERT_TRUE (gains.allocate (count));

        for (int32_t i = 0; i < count; ++i)
            gains.point (i) = { 1.0f, 0.0f, static_cast<float> (i * MeasurementContract::binWidthHz) };
    }
}

TEST (CalibrationFile, ReadsWhatMakersShipAndRefusesWhatIsNoCalibration)
{
    struct Case
    {
        const char* what;
        std::string text;
        CalibrationFile::Refusal refusal;
        int line;
        double dbAt40Hz;              // when read
        std::optional<double> sensitivity;
        const char* serial;
    };

    using Refusal = CalibrationFile::Refusal;
    const Case cases[] = {
        { "a maker's file: quoted sensitivity and serial, tabs, a phase column",
          "\"Sens Factor =-1.378dB, SERNO: 7103946\"\n10.000\t-2.493\t0.0\n40.000\t-0.750\t-3.5\n20000.000\t1.2\t12.0\n",
          Refusal::none, 0, -0.75, -1.378, "7103946" },
        { "unquoted, spaces around the sign and the unit, runs of spaces",
          "Sens Factor = -1.4 dB, SERNO: 8000123\n  20    -1.0\n  40    -0.5\n  80     0.0\n", Refusal::none, 0, -0.5, -1.4, "8000123" },
        { "upper case, a decimal comma throughout, CRLF, a byte order mark",
          "\xEF\xBB\xBFSENS -23,5 dB\r\n20,0\t-1,25\r\n40,0\t-0,5\r\n", Refusal::none, 0, -0.5, -23.5, "" },
        { "comments of every kind, the serial in one of them, a header, semicolons",
          "* calibration of a measurement microphone\n; serial no. UMK-12345\n# lab: somewhere\nFreq;dB;Phase\n"
          "20;-1,0;0\n\n40;0,25;0\n* end\n",
          Refusal::none, 0, 0.25, std::nullopt, "UMK-12345" },
        { "a sensitivity in mV/Pa is no level in dB", "Sensitivity 12.6 mV/Pa\n40 0.1\n", Refusal::none, 0, 0.1, std::nullopt, "" },
        { "one row in the band is enough", "100 0.7\n", Refusal::none, 0, 0.7, std::nullopt, "" },
        { "an empty file", "", Refusal::noRows, 0, 0, std::nullopt, "" },
        { "words only", "Sens Factor =-1.378dB\nno rows here\n", Refusal::noRows, 0, 0, std::nullopt, "" },
        { "text among the rows", "20 1\n40 1\nend of data\n80 1\n", Refusal::strayText, 3, 0, std::nullopt, "" },
        { "a frequency without a level", "20 1\n40\n", Refusal::noLevel, 2, 0, std::nullopt, "" },
        { "a level that is not a number", "20 1\n40 nan\n", Refusal::notFinite, 2, 0, std::nullopt, "" },
        { "a frequency too large for a double", "20 1\n1e400 1\n", Refusal::notFinite, 2, 0, std::nullopt, "" },
        { "a row at 0 Hz", "0 0\n20 1\n", Refusal::notPositive, 1, 0, std::nullopt, "" },
        { "falling frequencies", "20 1\n40 1\n30 1\n", Refusal::notAscending, 3, 0, std::nullopt, "" },
        { "a level beyond 30 dB", "20 -1\n40 31\n", Refusal::beyondRange, 2, 0, std::nullopt, "" },
        { "a level beyond -30 dB", "20 -30.5\n", Refusal::beyondRange, 1, 0, std::nullopt, "" },
        { "rows only above the band", "1000 0.1\n20000 1.5\n", Refusal::nothingInBand, 0, 0, std::nullopt, "" },
        { "rows on either side of the band but none in it", "10 -2\n1000 0.1\n", Refusal::nothingInBand, 0, 0, std::nullopt, "" },
        { "commas that may be decimal commas", "20,5,-1,2\n", Refusal::ambiguousCommas, 1, 0, std::nullopt, "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto reading = CalibrationFile::parse (c.text);
        EXPECT_EQ (reading.refusal, c.refusal);
        EXPECT_EQ (reading.line, c.line);
        ASSERT_EQ (reading.calibration.has_value(), c.refusal == Refusal::none);

        if (reading.calibration)
        {
            EXPECT_NEAR (reading.calibration->correction().levelDbAt (40.0), c.dbAt40Hz, 1e-12);
            EXPECT_EQ (reading.calibration->sensitivityDb, c.sensitivity);
            EXPECT_EQ (reading.calibration->serial, c.serial);
        }
        else
        {
            const auto sentence = CalibrationFile::explain (reading, "x.txt");
            EXPECT_NE (sentence.find ("x.txt"), std::string::npos) << sentence;
            EXPECT_EQ (sentence.back(), '.') << sentence;
        }
    }

    const auto maker = CalibrationFile::parse (cases[0].text);
    EXPECT_EQ (maker.calibration->describe ("7103946.txt"), "\"7103946.txt\", serial 7103946, sensitivity -1.378 dB");
    EXPECT_EQ (CalibrationFile::parse ("40 1\n").calibration->describe ("a.cal"), "\"a.cal\"");

    // What is no file of a sensible size is refused before it is read.
    Folder folder;
    const auto large = folder.file ("large.txt");
    std::ofstream (large) << "20 1\n";
    fs::resize_file (large, CalibrationFile::largestFile + 1);
    EXPECT_EQ (CalibrationFile::readFile (large).refusal, Refusal::tooLarge);
    EXPECT_EQ (CalibrationFile::readFile (folder.file ("gone.txt")).refusal, Refusal::missing);
    EXPECT_EQ (CalibrationFile::readFile (folder.path.string()).refusal, Refusal::unreadable);
}

TEST (MicrophoneCorrection, InterpolatesOnLogFrequencyHoldsItsEndsAndTakesTheMicrophoneOutOfTheGains)
{
    const MicrophoneCorrection microphone ({ 20.0, 80.0, 200.0 }, { -3.0, 0.0, 1.0 });

    // Flat beyond the ends, bin 0 and points no step wrote included; halfway in log frequency
    // between two rows lies halfway between their levels.
    EXPECT_EQ (microphone.levelDbAt (0.0), -3.0);
    EXPECT_EQ (microphone.levelDbAt (-1.0), -3.0);
    EXPECT_EQ (microphone.levelDbAt (std::nan ("")), -3.0);
    EXPECT_EQ (microphone.levelDbAt (20.0), -3.0);
    EXPECT_NEAR (microphone.levelDbAt (40.0), -1.5, 1e-12);
    EXPECT_NEAR (microphone.levelDbAt (std::sqrt (80.0 * 200.0)), 0.5, 1e-12);
    EXPECT_EQ (microphone.levelDbAt (200.0), 1.0);
    EXPECT_EQ (microphone.levelDbAt (22050.0), 1.0);
    EXPECT_EQ (MicrophoneCorrection().levelDbAt (40.0), 0.0);

    SpectrumArray gains;
    unitGains (gains, 8192);
    microphone.removeFrom (gains);

    for (const int bin : { 0, 5, 15, 59, 74, 8191 })
    {
        const auto& p = gains.point (bin);
        EXPECT_NEAR (20.0 * std::log10 (p.magnitude), -microphone.levelDbAt (p.frequency), 1e-5) << p.frequency << " Hz";
    }

    SpectrumArray untouched;
    unitGains (untouched, 8192);
    MicrophoneCorrection().removeFrom (untouched);
    EXPECT_EQ (untouched.point (100).magnitude, 1.0f);
}

TEST (CalibrationChoice, KeepsAFilePerMicrophoneAcrossAWriteAndAReadAndSkipsWhatItDoesNotUnderstand)
{
    CalibrationChoice choice;
    choice.files["alsa_input.usb-mic"] = "/home/me/cal/7103946.txt";
    choice.files["odd\tname\nwith breaks"] = "/home/me/a \\ b\n.cal";

    Folder folder;
    const auto path = folder.file ("KORVEN Sonavel calibrations.txt");
    ASSERT_TRUE (choice.save (path));
    EXPECT_EQ (CalibrationChoice::load (path).files, choice.files);

    const auto mixed = CalibrationChoice::parse ("microphone\tmic\t/a.txt\r\n"
                                                 "microphone\tno path\t\n"
                                                 "microphone\tthree\tfields\ttoo many\n"
                                                 "microphone\tbad\\q\t/b.txt\n"
                                                 "speaker\tx\t/c.txt\n");
    EXPECT_EQ (mixed.files, (std::map<std::string, std::string> { { "mic", "/a.txt" } }));
    EXPECT_TRUE (CalibrationChoice::load (folder.file ("none.txt")).files.empty());
    EXPECT_FALSE (choice.save (folder.file ("no such folder/calibrations.txt")));
}

TEST (CalibratedCurves, SayWhichCalibrationTheyWereMeasuredWithInSavedAndKeptFiles)
{
    KeptCurve curve;
    curve.values.assign (KeptCurve::numBins, 0.25f);
    curve.speakers = Speakers::left;
    curve.calibration = "\"7103946.txt\", serial 7103946, sensitivity -1.378 dB";

    const auto text = CurveText::format (curve);
    EXPECT_NE (text.find ("\n* Microphone calibration: \"7103946.txt\", serial 7103946, sensitivity -1.378 dB\n"), std::string::npos) << text;

    // Opened again, a curve keeps what it says and its values as they were: nothing is taken out twice.
    const auto opened = CurveText::parse (text);
    ASSERT_TRUE (opened.curve);
    EXPECT_EQ (opened.curve->calibration, curve.calibration);
    EXPECT_NEAR (opened.curve->values[40], 0.25f, 1e-5f);
    EXPECT_EQ (CurveText::parse ("20 1\n40 1\n").curve->calibration, "") << "another analyser's file does not say";

    KeptState state;
    state.current = curve;
    state.held = curve;
    state.held->calibration = "none";
    std::string problem;
    const auto kept = KeptState::parse (state.serialise(), problem);
    ASSERT_TRUE (kept) << problem;
    EXPECT_EQ (kept->current->calibration, curve.calibration);
    EXPECT_EQ (kept->held->calibration, "none");

    // A state kept before calibrations were: its measured curves had none, an opened one is not known.
    auto before = state;
    before.current->calibration.clear();
    before.held->calibration.clear();
    before.held->source = "other.txt";
    auto older = before.serialise();
    older.replace (older.find (" 4\n"), 3, " 3\n");

    for (int curves = 0; curves < 2; ++curves)
        older.erase (older.find ("calibration \n"), 13);

    const auto version3 = KeptState::parse (older, problem);
    ASSERT_TRUE (version3) << problem;
    EXPECT_EQ (version3->current->calibration, "none");
    EXPECT_EQ (version3->held->calibration, "");

    auto withoutLine = state.serialise();
    withoutLine.replace (withoutLine.find ("calibration "), 12, "calibrated ");
    EXPECT_FALSE (KeptState::parse (withoutLine, problem)) << "version 4 without its calibration line is damaged";
}
