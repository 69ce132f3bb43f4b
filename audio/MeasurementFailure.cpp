#include "MeasurementFailure.h"

#include "QuotedText.h"

namespace
{
    // "the microphone" or "the microphone “name”".
    std::string named (const char* what, const std::string& description)
    {
        return description.empty() ? std::string (what) : std::string (what) + " " + QuotedText::of (description);
    }
}

std::string MeasurementFailure::sentence (MeasurementOutcome outcome, const std::string& microphone, const std::string& output)
{
    switch (outcome)
    {
        case MeasurementOutcome::noAudioDevice:
            return "No sound device or sound server was found: connect the audio interface, choose it as OUTPUT "
                   "in step 5 and as MICROPHONE in step 6, and measure again.";
        case MeasurementOutcome::inputMissing:
            return "The microphone " + QuotedText::of (microphone) + " is not connected: connect it or choose another "
                   "under MICROPHONE, then measure again.";
        case MeasurementOutcome::outputMissing:
            return "The output " + QuotedText::of (output) + " is not connected: connect it or choose another under "
                   "OUTPUT in step 5, then measure again.";
        case MeasurementOutcome::devicesBusy:
            return "Another program holds the sound devices: close it and measure again.";
        case MeasurementOutcome::audioGivenUp:
            return "The sound server stopped answering: restart KORVEN Sonavel to measure again.";
        case MeasurementOutcome::streamStopped:
            return "The audio stream stopped before the measurement was complete: measure again.";
        case MeasurementOutcome::silence:
            return "The " + named ("microphone", microphone) + " recorded silence: choose another under MICROPHONE, "
                   "or check its cable, its phantom power and its gain, then measure again.";
        case MeasurementOutcome::unsteady:
            return "The microphone never heard the test noise steadily: check that the speakers play and the room "
                   "is quiet, then measure again.";
        case MeasurementOutcome::pathTooSlow:
            return "The test noise took more than three seconds to reach the microphone: connect the speakers by "
                   "cable rather than wirelessly, then measure again.";
        case MeasurementOutcome::overran:
            return "The sound system did not play or record the test noise in time: check the output and the "
                   "microphone in step 5, then measure again.";
        case MeasurementOutcome::outOfMemory:
            return "There was not enough memory to measure: close other programs and measure again.";
        case MeasurementOutcome::none:
        case MeasurementOutcome::ok:
        case MeasurementOutcome::stopped:
            break;
    }

    return {};
}

std::string MeasurementFailure::toneSentence (MeasurementOutcome outcome, const std::string& output)
{
    switch (outcome)
    {
        case MeasurementOutcome::noAudioDevice:
            return "No sound device or sound server was found: connect the audio interface, choose it under OUTPUT, "
                   "and press TEST TONE again.";
        case MeasurementOutcome::outputMissing:
            return "The output " + QuotedText::of (output) + " is not connected: connect it or choose another under OUTPUT, "
                   "then press TEST TONE again.";
        case MeasurementOutcome::audioGivenUp:
            return sentence (outcome);
        case MeasurementOutcome::overran:
            return "The sound system did not play the test tone in time: check the output under OUTPUT, then press "
                   "TEST TONE again.";
        case MeasurementOutcome::none:
        case MeasurementOutcome::ok:
        case MeasurementOutcome::stopped:
            return {};
        default:
            return "The test tone stopped: press TEST TONE again.";
    }
}
