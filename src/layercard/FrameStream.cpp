// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameStream.h"

#include <algorithm>
#include <sstream>

namespace {

// Larger than any screen: a frame that claims more is a broken stream, not a picture.
constexpr int largestSide = 16384;
constexpr int largestScale = 8;

bool inRange(int value, int largest)
{
    return value > 0 && value <= largest;
}

} // namespace

bool FrameStream::feed(const std::uint8_t *data, std::size_t size)
{
    m_buffer.insert(m_buffer.end(), data, data + size);
    std::size_t start = 0;
    while (start < m_buffer.size()) {
        if (m_framePixels > 0) {
            const std::size_t taken = std::min(m_framePixels, m_buffer.size() - start);
            m_frame.pixels.insert(m_frame.pixels.end(), m_buffer.begin() + start, m_buffer.begin() + start + taken);
            start += taken;
            m_framePixels -= taken;
            if (m_framePixels == 0 && onFrame)
                onFrame(std::move(m_frame));
            continue;
        }
        const auto end = std::find(m_buffer.begin() + start, m_buffer.end(), '\n');
        if (end == m_buffer.end())
            break;
        const std::string line(m_buffer.begin() + start, end);
        start = end - m_buffer.begin() + 1;
        if (!takeLine(line))
            return false;
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + start);
    return true;
}

bool FrameStream::takeLine(const std::string &line)
{
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "place") {
        Place place;
        std::string layer, input;
        words >> place.x >> place.y >> place.width >> place.height >> layer >> input;
        if (!words || !inRange(place.width, largestSide) || !inRange(place.height, largestSide))
            return false;
        place.top = layer == "top";
        place.input = input != "none";
        if (onPlace)
            onPlace(place);
        return true;
    }
    if (command == "frame") {
        Frame frame;
        words >> frame.width >> frame.height >> frame.scale;
        if (!words || !inRange(frame.width, largestSide) || !inRange(frame.height, largestSide) ||
            !inRange(frame.scale, largestScale))
            return false;
        m_framePixels = std::size_t(frame.width) * std::size_t(frame.height) * 4;
        frame.pixels.reserve(m_framePixels);
        m_frame = std::move(frame);
        return true;
    }
    return command.empty();
}
