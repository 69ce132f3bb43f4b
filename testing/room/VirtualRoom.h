#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// A private sound server started with scripts/virtual-room for one test; its environment is
// exported while it lives, so PortAudio's default devices are its speakers and microphone.
class VirtualRoom final
{
public:
    // The mode of the default room (scripts/virtual-room).
    static constexpr float defaultModeHz = 65.0f;

    // options as for "virtual-room start", e.g. "--flat".
    explicit VirtualRoom (const std::string& options = {});
    ~VirtualRoom();

    VirtualRoom (const VirtualRoom&) = delete;
    VirtualRoom& operator= (const VirtualRoom&) = delete;

    bool isRunning() const { return running; }

    // What the microphone hears from a speaker (0 left, 1 right), as the room wrote it: float
    // samples at 44100 Hz, without the microphone's own response. Empty if the room wrote none.
    std::vector<float> impulseResponse (int speaker) const;

    // The curve a measurement of these speakers (0 left, 1 right, 2 both, as the engine's modes)
    // should give in this room, through the program's own analysis: 16384 values in a measurement
    // record's units. With the microphone's own response when the room has one and
    // withMicrophone is set. Empty if the room wrote no impulse responses.
    std::vector<float> trueResponse (int speakers, bool withMicrophone = true) const;

    // The same before the analysis: the room's gain |H| at the analysis bins 0 .. 8191.
    std::vector<double> trueGains (int speakers, bool withMicrophone = true) const;

    // As `virtual-room change`, e.g. "--position 3" or "--notch 41,5,5": between measurements of a
    // ringing room, its microphone moved or a notch put on its speakers. False if that failed.
    bool change (const std::string& options);

    // Takes the server away, as if it had crashed; the environment still points at it.
    void stop();

    // Stops the server answering, as a hung one does, and lets it go on again.
    void freeze();
    void thaw();

    // Points the environment at a server that does not exist, for the length of one scope.
    class NoServer final
    {
    public:
        NoServer();
        ~NoServer();

    private:
        std::map<std::string, std::optional<std::string>> saved;
    };

private:
    std::string run (const std::string& command) const;
    void signalServer (int signal) const;

    std::string directory;
    std::map<std::string, std::optional<std::string>> saved;
    bool running = false;
};
