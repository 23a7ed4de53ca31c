#pragma once

/// The colours a mail client can give a message in its list.
enum class MEMessageColor {
    None = 0,
    Green = 1,
    Yellow = 2,
    Orange = 3,
    Red = 4,
    Purple = 5,
    Blue = 6,
    Gray = 7,
};
