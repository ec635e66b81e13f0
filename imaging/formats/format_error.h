#pragma once
// Errors of the image file formats. A reader or writer fails with EImageFormat, whose message is
// the format's tag ("BMP: ", "PBM, PGM, PPM: ", ...; empty for messages that carry their own,
// like TIFF's) followed by the text. Failures of the file system itself (a file that cannot be
// opened, created or renamed) are EImageFile with the system's own message.
#include "common/user_text.h"
#include "imaging/pixel_graphic.h"

#include <stdexcept>
#include <string>

namespace tesra {

// Tags put in front of the shared messages of each reader and writer.
namespace formattag {
inline constexpr const char* bmp = "BMP: ";
inline constexpr const char* jpeg = "JPG: ";
inline constexpr const char* png = "PNG: ";
inline constexpr const char* pcx = "PCX: ";
inline constexpr const char* pnm = "PBM, PGM, PPM: ";
inline constexpr const char* tga = "TGA: ";
inline constexpr const char* none = "";
}  // namespace formattag

class EImageFormat : public EPixelGraphic {
public:
    // `tag` + `text` is the message shown to the user.
    EImageFormat(const std::string& tag, const std::string& text) : EPixelGraphic(tag + text), m_tag(tag), m_text(text) {}
    explicit EImageFormat(const std::string& text) : EImageFormat(std::string(), text) {}

    const std::string& tag() const { return m_tag; }
    // The message without its tag.
    const std::string& text() const { return m_text; }

private:
    std::string m_tag;
    std::string m_text;
};

// A file that cannot be read, created, written or renamed; the message is the system's text
// followed by the file name.
class EImageFile : public EPixelGraphic {
public:
    using EPixelGraphic::EPixelGraphic;
};

// The shared message texts, exactly as the user sees them (after the tag). "%S1" parts are
// filled in by the functions below.
namespace formatmsg {
inline std::string invalidSizeOf(const std::string& what) { return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Invalid size of %1")), {what}); }
inline std::string invalid(const std::string& what) { return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "%1 invalid")), {what}); }
inline std::string notAFile(const std::string& what) { return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Not a %1 file")), {what}); }
inline std::string invalidValueFor(const std::string& what) { return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Invalid value for %1")), {what}); }
inline std::string failed(const std::string& what) { return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "%1 failed")), {what}); }
inline constexpr const char* notSupportedSubformat = QT_TRANSLATE_NOOP("Core", "Not supported subformat");
inline constexpr const char* unknownSubformat = QT_TRANSLATE_NOOP("Core", "Unknown subformat");
inline constexpr const char* invalidLibraryVersion = QT_TRANSLATE_NOOP("Core", "Invalid library version");
inline constexpr const char* widthOrHeightZero = QT_TRANSLATE_NOOP("Core", "Width = 0 or Height = 0");
inline constexpr const char* invalidColorResolution = QT_TRANSLATE_NOOP("Core", "Invalid color resolution");
inline constexpr const char* unknownFileFormat = QT_TRANSLATE_NOOP("Core", "Unknown file format");
inline std::string unknownFileExtension(const std::string& ext)
{
    return FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Unknown file extension \"%1\"")), {ext});
}
// Our own additions for damaged files: the header promises more than the file holds, or
// describes an image beyond the buffer's size limit.
inline constexpr const char* unexpectedEnd = QT_TRANSLATE_NOOP("Core", "Unexpected end of file");
inline constexpr const char* imageTooLarge = QT_TRANSLATE_NOOP("Core", "Image too large");
}  // namespace formatmsg

}  // namespace tesra
