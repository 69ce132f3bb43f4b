#pragma once

#include <optional>
#include <string>
#include <vector>

// A point in a rectangular room, in metres: x from the front wall (the one behind the speakers)
// towards the back, y from the left wall, z from the floor.
struct RoomPoint
{
    double x = 0.0, y = 0.0, z = 0.0;
};

// A named rectangular room with its speakers, listening position and reverberation.
struct RoomShape
{
    std::string name;
    double length = 0.0, width = 0.0, height = 0.0;
    RoomPoint speakers[2]; // left, right as seen from the listening position
    RoomPoint listening;
    double reverbLowSeconds = 0.0;  // T60 of oblique modes up to 100 Hz
    double reverbHighSeconds = 0.0; // T60 of oblique modes from 400 Hz
};

// Microphone positions: 1 is the listening position, 2..5 lie 20..40 cm around it.
constexpr int roomPositionCount = 5;

// The rooms by name ("small", "medium", "large"); nothing for another name.
std::optional<RoomShape> roomNamed (const std::string& name);
std::vector<std::string> roomNames();

// Position 1..roomPositionCount of the microphone; nothing for another number.
std::optional<RoomPoint> microphoneAt (const RoomShape& room, int position);
