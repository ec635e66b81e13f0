#include "view/image_undo.h"

namespace tesra {

void ImageUndoStack::push(const TPixelGraphic& image)
{
    // Drop the oldest first, so that a large image never needs six copies at once.
    if (depth() == kImageUndoDepth)
        m_copies.pop_back();
    TPixelGraphic copy;
    copy.Assign(image);
    m_copies.push_front(std::move(copy));
}

bool ImageUndoStack::pop(TPixelGraphic& image)
{
    if (m_copies.empty())
        return false;
    ProgressSink* sink = image.progress();
    image = std::move(m_copies.front());
    image.setProgress(sink);
    m_copies.pop_front();
    return true;
}

}  // namespace tesra
