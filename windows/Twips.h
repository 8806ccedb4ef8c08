#pragma once

#include <QPoint>
#include <QRect>

namespace vardelo {

/// Window layouts are given in twips (1/1440 inch), 15 to a device-independent pixel.
constexpr int TwipsPerPixel = 15;

/// A rectangle given in twips: left, top, width, height.
struct TwipsRect
{
    int left;
    int top;
    int width;
    int height;

    constexpr QRect toPixels() const
    {
        return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
    }
};

/// A straight line between two points in twips, drawn widthPixels thick.
struct TwipsLine
{
    const char* name;
    int x1;
    int y1;
    int x2;
    int y2;
    int widthPixels;
};

} // namespace vardelo
