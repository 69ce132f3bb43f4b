#include "RoomShape.h"

namespace
{
    // Speakers 1 m from the front wall (their baffles), tweeters at 1.15 m; the listening position
    // makes a near-equilateral triangle with them. None sits exactly on the width's middle, as in
    // most real rooms: a desk is rarely centred to the centimetre.
    const std::vector<RoomShape>& allRooms()
    {
        static const std::vector<RoomShape> rooms {
            { "small", 4.15, 3.35, 2.45,
              { { 1.00, 1.06, 1.15 }, { 1.00, 2.26, 1.15 } }, { 2.75, 1.68, 1.20 }, 0.36, 0.28 },
            { "medium", 5.70, 3.85, 2.60,
              { { 1.00, 1.22, 1.15 }, { 1.00, 2.62, 1.15 } }, { 2.70, 1.93, 1.20 }, 0.65, 0.35 },
            { "large", 6.85, 4.70, 2.80,
              { { 1.05, 1.58, 1.15 }, { 1.05, 3.14, 1.15 } }, { 3.10, 2.37, 1.20 }, 1.00, 0.40 },
        };
        return rooms;
    }

    // Offsets of positions 2..5 from the listening position (forward is -x, left is -y):
    // 25 cm left, 30 cm back and right, 20 cm forward and up, 35 cm back-left and down.
    constexpr RoomPoint offsets[roomPositionCount] = {
        { 0.00, 0.00, 0.00 },
        { 0.04, -0.25, 0.00 },
        { 0.22, 0.20, -0.03 },
        { -0.20, 0.06, 0.08 },
        { 0.28, -0.20, -0.05 },
    };
}

std::optional<RoomShape> roomNamed (const std::string& name)
{
    for (const auto& room : allRooms())
        if (room.name == name)
            return room;

    return std::nullopt;
}

std::vector<std::string> roomNames()
{
    std::vector<std::string> names;

    for (const auto& room : allRooms())
        names.push_back (room.name);

    return names;
}

std::optional<RoomPoint> microphoneAt (const RoomShape& room, int position)
{
    if (position < 1 || position > roomPositionCount)
        return std::nullopt;

    const auto& offset = offsets[position - 1];
    return RoomPoint { room.listening.x + offset.x, room.listening.y + offset.y, room.listening.z + offset.z };
}
