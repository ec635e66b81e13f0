#include "app/main_window_rules.h"

#include <algorithm>

#include "common/rounding.h"
#include "common/user_text.h"
#include "imaging/formats/image_format.h"

namespace tesra {

ContextGroup ContextGroupOfMode(int mode)
{
    switch (mode) {
    case emLine: return ContextGroup::LineTools;
    case emSetIntercept: return ContextGroup::Types;
    case emInfo: return ContextGroup::Analysis;
    case emManipulate: return ContextGroup::Filters;
    default: return ContextGroup::None;
    }
}

int ScrollKeepingPoint(int scroll, int mouse, Zoom oldZoom, Zoom newZoom)
{
    // The image point under the mouse, in image pixels with its fraction, lands under the
    // mouse again at the new zoom.
    const long double point = (static_cast<long double>(scroll) + mouse) * 100 / oldZoom.percent();
    const std::int64_t wanted = R(point * newZoom.percent() / 100) - mouse;
    return static_cast<int>(std::clamp<std::int64_t>(wanted, 0, INT32_MAX));
}

MagnifierView MagnifierViewAt(int x, int y, int zoom, int imageWidth, int imageHeight)
{
    static constexpr int halfHeight[] = {60, 30, 20, 15};
    static constexpr int halfWidth[] = {84, 42, 28, 21};
    const int m = zoom >= 1 && zoom <= 4 ? zoom : 1;
    const int hh = halfHeight[m - 1];
    const int hw = halfWidth[m - 1];

    MagnifierView view;
    // Keep the window inside the image and remember by how much it moved: the cursor is
    // then off the centre of the pane by that amount.
    auto place = [](int centre, int half, int size, int& low, int& high, int& shift) {
        low = centre - half;
        high = centre + half - 1;
        shift = 0;
        if (low < 0) {
            shift = low;
            low = 0;
            high = 2 * half - 1;
        } else if (high > size - 1) {
            shift = high - (size - 1);
            high = size - 1;
            low = high - 2 * half + 1;
        }
    };
    place(x, hw, imageWidth, view.source.left, view.source.right, view.dx);
    place(y, hh, imageHeight, view.source.top, view.source.bottom, view.dy);
    if (imageHeight - 1 < 2 * hh - 1 || imageWidth - 1 < 2 * hw - 1) {
        view.cross = true;
        return view;
    }
    const int dx = view.dx;
    const int dy = view.dy;
    // Rectangles are given by two corners with the right and bottom edge left out, as the
    // pane draws them; stored here with inclusive edges.
    switch (m) {
    case 1: view.mark = {84 + dx, 60 + dy, 84 + dx, 60 + dy}; break;
    case 2: view.mark = {2 * dx + 85, 2 * dy + 61, 2 * dx + 87, 2 * dy + 62}; break;
    case 3: view.mark = {3 * dx + 85, 3 * dy + 61, 3 * dx + 88, 3 * dy + 63}; break;
    default: view.mark = {4 * dx + 86, 4 * dy + 62, 4 * dx + 89, 4 * dy + 65}; break;
    }
    return view;
}

int OverviewHeight(int viewerWidth, int imageWidth, int imageHeight)
{
    if (imageWidth <= 0 || imageHeight <= 0)
        return 0;
    const long double aspect = static_cast<long double>(imageHeight) / imageWidth;
    return static_cast<int>(std::clamp<std::int64_t>(R(viewerWidth * aspect), 0, INT32_MAX));
}

PixelRect OverviewFrame(int scrollX, int scrollY, int clientWidth, int clientHeight, Zoom zoom)
{
    const long double z = zoom.percent() / 100.0L;
    const int left = static_cast<int>(R(scrollX / z));
    const int top = static_cast<int>(R(scrollY / z));
    const int width = static_cast<int>(R(clientWidth / z));
    const int height = static_cast<int>(R(clientHeight / z));
    return {left, top, left + width - 1, top + height - 1};
}

namespace {

std::string patternOf(const std::vector<std::string>& extensions)
{
    std::string pattern;
    for (const std::string& e : extensions) {
        if (!pattern.empty())
            pattern += ' ';
        pattern += "*." + e;
    }
    return pattern;
}

// The save dialog's formats, in the order the user sees them.
constexpr const char* kSaveExtensions[] = {"bmp", "jpg", "pbm", "pgm", "png", "ppm", "tga", "tif"};

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

std::vector<std::string> OpenImageFilters()
{
    std::vector<std::string> all;
    std::vector<std::string> filters;
    for (const ImageReader& reader : imageReaders()) {
        all.insert(all.end(), reader.extensions.begin(), reader.extensions.end());
        std::vector<std::string> own = reader.extensions;
        std::sort(own.begin(), own.end());
        filters.push_back(reader.description + " (" + patternOf(own) + ")");
    }
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    filters.insert(filters.begin(), UserText(QT_TRANSLATE_NOOP("Core", "Image files")) + " (" + patternOf(all) + ")");
    filters.push_back(UserText(QT_TRANSLATE_NOOP("Core", "All files")) + " (*)");
    return filters;
}

namespace {

// One save dialog entry per extension: the writer's description and the pattern.
template <std::size_t N>
std::vector<std::string> writerFilters(const char* const (&extensions)[N])
{
    std::vector<std::string> filters;
    for (const char* extension : extensions) {
        const ImageWriter* writer = findWriter(extension);
        const std::string name = writer ? writer->description : lower(extension);
        filters.push_back(name + " (*." + extension + ")");
    }
    return filters;
}

// The photo's formats: PNG first, as it keeps every pixel of the marks and is small.
constexpr const char* kPhotoExtensions[] = {"png", "jpg", "bmp", "tif"};

}  // namespace

std::vector<std::string> SaveImageFilters() { return writerFilters(kSaveExtensions); }

std::vector<std::string> PhotoFilters() { return writerFilters(kPhotoExtensions); }

std::string SaveImageFilterExtension(int index)
{
    constexpr int count = static_cast<int>(std::size(kSaveExtensions));
    if (index < 0 || index >= count)
        return kSaveExtensions[0];
    return kSaveExtensions[index];
}

int SaveImageFilterIndexOf(const std::string& fileName)
{
    const ImageWriter* wanted = findWriter(fileExtension(fileName));
    if (!wanted)
        return 0;
    for (int i = 0; i < static_cast<int>(std::size(kSaveExtensions)); ++i)
        if (findWriter(kSaveExtensions[i]) == wanted)
            return i;
    return 0;
}

namespace {

// Position of the extension's dot in the last path element, or npos.
std::size_t extensionDot(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    // A leading dot (".hidden") names the file, it does not start an extension.
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (dot == nameStart)
        return std::string::npos;
    return dot;
}

}  // namespace

std::string WithDefaultSuffix(const std::string& fileName, const std::string& suffix)
{
    if (fileName.empty() || suffix.empty() || extensionDot(fileName) != std::string::npos)
        return fileName;
    return fileName + "." + suffix;
}

std::string PhotoFileName(const std::string& fileName)
{
    const std::size_t dot = extensionDot(fileName);
    return fileName.substr(0, dot) + " Photo." + kPhotoExtensions[0];
}

PhotoTarget PhotoTargetOf(const std::string& chosen, int filterIndex)
{
    const std::size_t dot = extensionDot(chosen);
    if (dot != std::string::npos) {
        const std::string own = lower(chosen.substr(dot + 1));
        for (const char* extension : kPhotoExtensions)
            if (findWriter(own) == findWriter(extension))
                return {chosen, own};
    }
    constexpr int count = static_cast<int>(std::size(kPhotoExtensions));
    const std::string extension = kPhotoExtensions[filterIndex >= 0 && filterIndex < count ? filterIndex : 0];
    return {chosen + "." + extension, extension};
}

std::string FileNameOnly(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FileErrorMessage(const std::string& libraryMessage, const std::string& fileName)
{
    if (fileName.empty() || libraryMessage.find(fileName) != std::string::npos)
        return libraryMessage;
    return libraryMessage + "\n" + fileName;
}

std::string PositionReadout(const TPixelGraphic& image, int x, int y, long double scale, bool calibrated,
                            const NumberLocale& locale)
{
    if (x < 0 || y < 0 || x >= image.Width() || y >= image.Height())
        return {};
    std::string text = "x " + std::to_string(x) + "  y " + std::to_string(y);
    if (calibrated)
        text += "  |  " + FormatF(x * scale, 15, 3, locale) + "  " + FormatF(y * scale, 15, 3, locale);
    const std::uint32_t c = image.GetColor(x, y);
    const int r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
    if (r == g && g == b)
        return text + "  |  " + FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Grey %1")), {std::to_string(g)});
    return text + "  |  RGB " + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b);
}

WindowPlaces DefaultWindowPlaces(int width, int height, int sheetHeight, int greyWidth, bool greyShown)
{
    width = std::max(width, 2);
    height = std::max(height, 2);
    // On a small screen the image keeps the larger part; the sheet scrolls.
    const int sheet = std::clamp(sheetHeight, 1, height * 2 / 5);
    const int top = height - sheet;
    const int grey = greyShown ? std::clamp(greyWidth, 1, width / 2) : 0;
    WindowPlaces places;
    places.image = {0, 0, width - grey - 1, top - 1};
    places.sheet = {0, top, width - 1, height - 1};
    places.grey = {width - std::max(grey, 1), 0, width - 1, top - 1};
    return places;
}

}  // namespace tesra
