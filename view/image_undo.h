#pragma once
// The undo stack of the displayed image: up to five copies, newest first. Each filter run
// stores one copy before it changes the image; undo brings back the newest. Only the pixels
// are undone, never the measurement.
#include <deque>

#include "imaging/pixel_graphic.h"

namespace tesra {

inline constexpr int kImageUndoDepth = 5;

class ImageUndoStack {
public:
    // Stores a copy of image as the newest; beyond five the oldest copy is dropped.
    void push(const TPixelGraphic& image);
    // Moves the newest copy into image and drops it from the stack; false (image untouched)
    // when the stack is empty.
    bool pop(TPixelGraphic& image);
    // Drops every copy (a new image was opened).
    void clear() { m_copies.clear(); }
    // Number of copies that can be restored, 0..5.
    int depth() const { return static_cast<int>(m_copies.size()); }

private:
    std::deque<TPixelGraphic> m_copies;
};

}  // namespace tesra
