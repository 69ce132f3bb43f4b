#include "AtomicFile.h"
#include "CurveText.h"
#include "DeviceChoice.h"
#include "KeptState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    namespace fs = std::filesystem;

    // A bass curve with a mode at 65 Hz, dB / 20, -inf above half the sample rate as measured.
    KeptCurve measuredCurve()
    {
        KeptCurve curve;
        curve.values.resize (KeptCurve::numBins, -INFINITY);

        for (int i = 0; i < KeptCurve::numBins / 2; ++i)
        {
            const auto octaves = std::log2 (std::max (1.0, KeptCurve::binFrequency (i)) / 65.0);
            curve.values[static_cast<size_t> (i)] = static_cast<float> ((12.0 * std::exp (-octaves * octaves / 0.05) - 3.0) / 20.0);
        }

        curve.speakers = Speakers::both;
        curve.measuredAt = KeptCurve::parseTime ("2026-12-08 14:32:05");
        curve.notch = { 3, 65, 4 };
        return curve;
    }

    // The level in dB the curve gives at a frequency that is exactly a bin's.
    double levelAt (const KeptCurve& curve, double hz)
    {
        return 20.0 * curve.values[static_cast<size_t> (std::lround (hz / KeptCurve::binFrequency (1)))];
    }

    class TemporaryFolder final
    {
    public:
        TemporaryFolder()
        {
            char pattern[] = "/tmp/sonavel-files-test.XXXXXX";
            path = ::mkdtemp (pattern);
        }

        ~TemporaryFolder() { fs::remove_all (path); }

        std::string file (const std::string& name) const { return (path / name).string(); }
        size_t count() const { return static_cast<size_t> (std::distance (fs::directory_iterator (path), fs::directory_iterator())); }

        fs::path path;
    };

    void writeFile (const std::string& path, const std::string& text)
    {
        std::ofstream (path, std::ios::binary) << text;
    }
}

TEST (CurveText, ReadsOurOwnFilesAndOtherAnalysersExportsAndRefusesWhatIsNoResponse)
{
    struct Case
    {
        const char* what;
        std::string text;
        CurveText::Refusal refusal;
        int line;
        double levelAt43Hz;   // at bin 16, 43.06640625 Hz, when read
    };

    const std::string bin16 = "43.06640625";
    const std::string bin17 = "45.758056640625";
    const Case cases[] = {
        { "our own file", CurveText::format (measuredCurve()), CurveText::Refusal::none, 0, levelAt (measuredCurve(), 43.06640625) },
        { "another analyser's export: '*' comments, a header, three columns with phase",
          "* Measurement data measured by another analyser\n* Source: mic\n* Format: 1/48 octave smoothing\n"
          "* Freq(Hz) SPL(dB) Phase(degrees)\n20.000 -1.000 12.5\n" + bin16 + " 2.500 -40.0\n500.000 1.000 3.0\n",
          CurveText::Refusal::none, 0, 2.5 },
        { "tabs", bin16 + "\t-4.25\n" + bin17 + "\t-4.25\n", CurveText::Refusal::none, 0, -4.25 },
        { "commas with spaces, a quoted header", "\"Frequency\", \"Level\"\n" + bin16 + ", 3\n" + bin17 + ", 3\n",
          CurveText::Refusal::none, 0, 3.0 },
        { "semicolons with decimal commas", "Freq;dB\n43,06640625;-1,5\n45,758056640625;-1,5\n", CurveText::Refusal::none, 0, -1.5 },
        { "runs of spaces, '#' and ';' comments, CRLF",
          "# exported\r\n; note\r\n   " + bin16 + "    +6.0   0\r\n" + bin17 + "  6.0  0\r\n", CurveText::Refusal::none, 0, 6.0 },
        { "a byte order mark and a point between bins", "\xEF\xBB\xBF" "40 0\n46.13232421875 10\n", CurveText::Refusal::none, 0,
          10.0 * std::log (43.06640625 / 40.0) / std::log (46.13232421875 / 40.0) },
        { "an empty file", "", CurveText::Refusal::noNumbers, 0, 0 },
        { "words only", "Freq Level\nnot a curve\n", CurveText::Refusal::noNumbers, 0, 0 },
        { "text among the points", "20 1\n30 1\nend of data\n40 1\n", CurveText::Refusal::strayText, 3, 0 },
        { "a frequency without a level", "20 1\n30\n", CurveText::Refusal::noLevel, 2, 0 },
        { "falling frequencies", "20 1\n40 1\n30 1\n", CurveText::Refusal::notAscending, 3, 0 },
        { "a repeated frequency", "20 1\n20 2\n", CurveText::Refusal::notAscending, 2, 0 },
        { "a level that is not a number", "20 1\n30 nan\n", CurveText::Refusal::notFinite, 2, 0 },
        { "an infinite frequency", "20 1\ninf 1\n", CurveText::Refusal::notFinite, 2, 0 },
        { "a level beyond what a float holds", "20 1\n30 1e300\n", CurveText::Refusal::notFinite, 2, 0 },
        { "one point in 20..500 Hz", "10 1\n100 1\n1000 1\n", CurveText::Refusal::tooFewPoints, 0, 0 },
        { "two points on one bin's side of the next", "22 0\n25 0\n", CurveText::Refusal::tooClose, 0, 0 },
        { "a level too large for a double", "20 1\n30 1e309\n", CurveText::Refusal::notFinite, 2, 0 },
        { "a frequency too large for a double before the first point", "1e400 5\n20 1\n", CurveText::Refusal::notFinite, 1, 0 },
        { "commas that may be decimal commas", "20,5,75,3\n", CurveText::Refusal::ambiguousCommas, 1, 0 },
        { "an empty column among commas", "20,,5\n100,1,2\n", CurveText::Refusal::noLevel, 1, 0 },
        { "a row of commas and a quoted nothing are blank", "\"\"\n" + bin16 + ",-2\n,,\n" + bin17 + ",-2\n",
          CurveText::Refusal::none, 0, -2.0 },
        { "all points above 500 Hz", "600 1\n700 1\n", CurveText::Refusal::tooFewPoints, 0, 0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        const auto reading = CurveText::parse (c.text);
        EXPECT_EQ (reading.refusal, c.refusal);
        EXPECT_EQ (reading.line, c.line);
        EXPECT_EQ (reading.curve.has_value(), c.refusal == CurveText::Refusal::none);

        if (reading.curve)
        {
            ASSERT_EQ (reading.curve->values.size(), static_cast<size_t> (KeptCurve::numBins));
            EXPECT_NEAR (levelAt (*reading.curve, 43.06640625), c.levelAt43Hz, 1e-3);
        }
        else
        {
            const auto sentence = CurveText::explain (reading, "x.txt");
            EXPECT_NE (sentence.find ("x.txt"), std::string::npos) << sentence;
            EXPECT_EQ (sentence.back(), '.') << sentence;
        }
    }

    // Outside the file's points there is no curve, rather than one made up.
    const auto partial = CurveText::parse ("100 1\n200 2\n");
    ASSERT_TRUE (partial.curve);
    EXPECT_TRUE (std::isnan (partial.curve->values[30]));    // 80.7 Hz
    EXPECT_NEAR (partial.curve->values[50] * 20.0f, 1.0f + std::log2 (KeptCurve::binFrequency (50) / 100.0), 1e-4);
    EXPECT_TRUE (std::isnan (partial.curve->values[80]));    // 215 Hz
}

TEST (CurveText, SavedAndOpenedAgainGivesTheSameCurveAndWhatItWas)
{
    const auto original = measuredCurve();
    const auto text = CurveText::format (original);

    // Comments first, then the header, then ascending points from 20 Hz to 500 Hz with '.' decimals.
    EXPECT_EQ (text.rfind (std::string ("* KORVEN Sonavel v.") + SONAVEL_VERSION + "\n", 0), 0u);
    for (const auto* line : { "* Measured: 2026-12-08 14:32:05 +", "* Speakers: both\n", "* 1/10 decade smoothing\n",
                              "* Recommended notch: FREQ 65 Hz, Q 3, DEPTH 4\n", "* Freq(Hz)\tSPL(dB)\n21.533203125\t" })
        EXPECT_NE (text.find (line), std::string::npos) << line;
    EXPECT_EQ (text.find (',', text.find ("SPL(dB)")), std::string::npos);
    EXPECT_NE (text.find ("\n497.955322265625\t"), std::string::npos);
    EXPECT_EQ (text.find ("\n500.6"), std::string::npos);

    const auto reading = CurveText::parse (text);
    ASSERT_TRUE (reading.curve);
    const auto& opened = *reading.curve;
    int compared = 0;

    for (int i = 0; i < KeptCurve::numBins; ++i)
    {
        const auto hz = KeptCurve::binFrequency (i);

        if (hz < 20.0 || hz > 500.0)
            continue;

        ASSERT_NEAR (20.0f * opened.values[static_cast<size_t> (i)], 20.0f * original.values[static_cast<size_t> (i)], 0.01f) << hz << " Hz";
        ++compared;
    }

    EXPECT_EQ (compared, 178);
    EXPECT_EQ (opened.speakers, Speakers::both);
    EXPECT_EQ (opened.measuredAt, original.measuredAt);
    EXPECT_EQ (opened.notch, original.notch);

    KeptCurve noNotch = original;
    noNotch.notch = { 0, 0, 0 };
    EXPECT_NE (CurveText::format (noNotch).find ("* Recommended notch: none\n"), std::string::npos);
    EXPECT_EQ (original.fileStem(), "Sonavel both 2026-12-08 14-32");
}

TEST (CurveText, RefusesAFileTooLargeBeforeReadingItAndOneThatCannotBeRead)
{
    TemporaryFolder folder;
    const auto large = folder.file ("large.txt");
    fs::resize_file ((std::ofstream (large), large), CurveText::largestFile + 1);
    EXPECT_EQ (CurveText::readFile (large).refusal, CurveText::Refusal::tooLarge);
    EXPECT_EQ (CurveText::readFile (folder.file ("missing.txt")).refusal, CurveText::Refusal::unreadable);
    EXPECT_EQ (CurveText::readFile (folder.path.string()).refusal, CurveText::Refusal::unreadable);

    writeFile (folder.file ("ours.txt"), CurveText::format (measuredCurve()));
    EXPECT_TRUE (CurveText::readFile (folder.file ("ours.txt")).curve);
}

TEST (AtomicFile, ReplacesWholeOrNotAtAllAndLeavesNothingBehind)
{
    TemporaryFolder folder;
    const auto path = folder.file ("curve.txt");
    writeFile (path, "old");

    {
        AtomicFile file (path);
        ASSERT_TRUE (file.write ("new"));
        std::ifstream before (path);
        EXPECT_EQ (std::string (std::istreambuf_iterator<char> (before), {}), "old") << "untouched until committed";
    }

    EXPECT_EQ (folder.count(), 1u) << "an uncommitted file leaves no temporary file";
    ASSERT_TRUE (AtomicFile::replace (path, "new"));
    std::ifstream after (path);
    EXPECT_EQ (std::string (std::istreambuf_iterator<char> (after), {}), "new");
    EXPECT_EQ (folder.count(), 1u);

    // A folder that cannot be written (root writes anywhere, so here a "folder" that is a file):
    // refused with the reason, nothing half-written.
    AtomicFile refused (path + "/curve.txt");
    EXPECT_FALSE (refused.write ("data"));
    EXPECT_EQ (refused.getError(), ENOTDIR);
    EXPECT_FALSE (refused.commit());
    EXPECT_EQ (folder.count(), 1u);
}

TEST (KeptState, KeepsBothCurvesExactlyAndCallsAnythingElseDamaged)
{
    TemporaryFolder folder;
    const auto path = folder.file ("state.txt");
    std::string problem;

    EXPECT_FALSE (KeptState::load (path, problem));
    EXPECT_TRUE (problem.empty()) << "no file yet is a first start, not damage";

    KeptState state;
    state.current = measuredCurve();
    state.held = *CurveText::parse ("100 1\n200 2\n").curve;
    state.held->source = "before EQ.txt";
    ASSERT_TRUE (state.save (path));

    const auto loaded = KeptState::load (path, problem);
    ASSERT_TRUE (loaded) << problem;
    ASSERT_TRUE (loaded->current && loaded->held);
    EXPECT_EQ (loaded->serialise(), state.serialise());
    EXPECT_EQ (loaded->current->values[100], state.current->values[100]);
    EXPECT_TRUE (std::isinf (loaded->current->values[9000]));
    EXPECT_TRUE (std::isnan (loaded->held->values[10]));
    EXPECT_EQ (loaded->held->source, "before EQ.txt");
    EXPECT_EQ (loaded->current->notch, state.current->notch);

    KeptState heldOnly;
    heldOnly.held = state.current;
    ASSERT_TRUE (KeptState::parse (heldOnly.serialise(), problem)) << problem;
    EXPECT_FALSE (KeptState::parse (heldOnly.serialise(), problem)->current);

    const auto whole = state.serialise();
    const std::string damaged[] = {
        "",
        "not our file\n",
        whole.substr (0, whole.size() / 2),                                   // cut short
        whole + "curve held\n",                                               // a second held curve
        std::string (whole).replace (whole.find ("values 16384"), 12, "values 16383"),
        std::string (whole).replace (whole.find ("\n0.") + 1, 2, "x."),       // a value that is no number
    };

    for (const auto& text : damaged)
    {
        writeFile (path, text);
        EXPECT_FALSE (KeptState::load (path, problem)) << text.substr (0, 40);
        EXPECT_FALSE (problem.empty());
    }

    const auto aside = KeptState::setAside (path);
    EXPECT_EQ (aside, folder.file ("state.damaged.txt"));
    EXPECT_FALSE (fs::exists (path));
    EXPECT_TRUE (fs::exists (aside));
}

TEST (DeviceChoice, KeepsItsPicksAcrossAWriteAndAReadAndSkipsWhatItDoesNotUnderstand)
{
    DeviceChoice choice;
    choice.input = { AudioRoute::Via::soundServer, "alsa_input.usb-mic", "USB\tmeasurement\nmicrophone" };
    choice.output = { AudioRoute::Via::portAudio, "HDA Intel PCH: ALC892 Analog (hw:0,0)", "HDA Intel PCH: ALC892 Analog (hw:0,0)" };

    TemporaryFolder folder;
    const auto path = folder.file ("KORVEN Sonavel devices.txt");
    ASSERT_TRUE (choice.save (path));
    EXPECT_EQ (folder.count(), 1u) << "no temporary file is left behind";

    const auto read = DeviceChoice::load (path);
    EXPECT_EQ (read.input, choice.input);
    EXPECT_EQ (read.input.description, "USB\tmeasurement\nmicrophone") << "a tab or a line end is escaped, not lost";
    EXPECT_EQ (read.output, choice.output);
    EXPECT_EQ (read.output.route(), (AudioRoute { AudioRoute::Via::portAudio, "HDA Intel PCH: ALC892 Analog (hw:0,0)" }));

    // A file that is not ours, or half of one: what is understood is kept, the rest is the default.
    const auto mixed = DeviceChoice::parse ("input\tbluetooth\theadset\tHeadset\r\n"
                                            "output\tserver\t\tNo name\r\n"
                                            "output\tserver\tusb_out\tUSB Audio\r\n"
                                            "volume\tserver\tx\ty\n"
                                            "input\tserver\tonly three fields\n");
    EXPECT_TRUE (mixed.input.isSystemDefault());
    EXPECT_EQ (mixed.input.route(), AudioRoute());
    EXPECT_EQ (mixed.output, (DeviceChoice::Pick { AudioRoute::Via::soundServer, "usb_out", "USB Audio" }));
    EXPECT_EQ (mixed.output.description, "USB Audio") << "a Windows line end is not part of it";

    EXPECT_TRUE (DeviceChoice::load (folder.file ("none.txt")).output.isSystemDefault()) << "no file: the defaults";
    EXPECT_FALSE (choice.save (folder.file ("no such folder/devices.txt")));
}
