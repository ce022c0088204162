// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the card's process sends on standard input, read as it arrives: lines of words, and after
// a "frame" line the frame's pixels.
//
//   place X Y WIDTH HEIGHT bottom|top all|none   where the card goes, in the desktop's logical
//                                                pixels; on which layer; whether it takes clicks
//   frame WIDTH HEIGHT SCALE                     followed by WIDTH × HEIGHT premultiplied ARGB
//                                                pixels, drawn for a display of that scale
class FrameStream
{
public:
    struct Place
    {
        int x = 0, y = 0, width = 0, height = 0;
        bool top = false;  // above ordinary windows (keep on top), else beneath them
        bool input = true; // takes clicks; the full-screen grid lets them through
    };
    struct Frame
    {
        int width = 0, height = 0, scale = 1;
        std::vector<std::uint8_t> pixels;
    };

    std::function<void(const Place &)> onPlace;
    std::function<void(Frame &&)> onFrame;

    // Takes the next bytes; returns false on input that is not the stream above.
    bool feed(const std::uint8_t *data, std::size_t size);

private:
    bool takeLine(const std::string &line);

    std::vector<std::uint8_t> m_buffer;
    Frame m_frame;
    std::size_t m_framePixels = 0; // bytes still owed to the frame being read
};
