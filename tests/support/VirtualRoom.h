#pragma once

#include <map>
#include <optional>
#include <string>

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
