#include "imaging/formats/codec_support.h"

#include "imaging/checked_size.h"

namespace tesra {

void allocateImage(TPixelGraphic& image, std::int64_t width, std::int64_t height, TPixelFormat format, const char* tag)
{
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX ||
        !checkedImageBytes(width, height, bitsPerPixel(format)))
        throw EImageFormat(tag, UserText(formatmsg::imageTooLarge));
    image.SetSize(static_cast<int>(width), static_cast<int>(height), format);
}

void setFilePalette(TPixelGraphic& image, std::vector<std::uint32_t> entries, TPaletteIdent ident)
{
    const std::size_t wanted = static_cast<std::size_t>(paletteEntriesOf(image.PixelFormat()));
    if (entries.size() > wanted)
        entries.resize(wanted);
    while (entries.size() < wanted)
        entries.push_back(0);
    image.SetPalette(entries, ident);
}

}  // namespace tesra
