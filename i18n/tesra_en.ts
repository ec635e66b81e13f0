<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Artwork</name>
    <message>
        <source>grain size by the linear-intercept method</source>
        <translation>grain size by the linear-intercept method</translation>
    </message>
    <message>
        <source>Mean grain size of micrographs</source>
        <translation>Mean grain size of micrographs</translation>
    </message>
    <message>
        <source>Test lines and circles over the image, intercepts of six types, second-phase stretches and a calibration give the mean intercept length with its confidence and the intercepts still needed.</source>
        <translation>Test lines and circles over the image, intercepts of six types, second-phase stretches and a calibration give the mean intercept length with its confidence and the intercepts still needed.</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Try &apos;%1 --help&apos; for more information.</source>
        <translation>Try &apos;%1 --help&apos; for more information.</translation>
    </message>
    <message>
        <source>Measures the mean grain size of micrographs by the linear-intercept method.</source>
        <translation>Measures the mean grain size of micrographs by the linear-intercept method.</translation>
    </message>
    <message>
        <source>Displays this help.</source>
        <translation>Displays this help.</translation>
    </message>
    <message>
        <source>Displays the program&apos;s version.</source>
        <translation>Displays the program&apos;s version.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Image to open (Tesra shows one image at a time).</source>
        <translation>Image to open (Tesra shows one image at a time).</translation>
    </message>
    <message>
        <source>[FILE...]</source>
        <translation>[FILE...]</translation>
    </message>
    <message>
        <source>%1 and %2 cannot be used together.</source>
        <translation>%1 and %2 cannot be used together.</translation>
    </message>
    <message>
        <source>%1 goes only with %2.</source>
        <translation>%1 goes only with %2.</translation>
    </message>
    <message>
        <source>Tesra shows one image at a time; opening %1 only.</source>
        <translation>Tesra shows one image at a time; opening %1 only.</translation>
    </message>
    <message>
        <source>Prints the proposed boundary crossings along the test lines of IMAGE as CSV (line,x,y,type); the lines stored in the image, or those of --lines.</source>
        <translation>Prints the proposed boundary crossings along the test lines of IMAGE as CSV (line,x,y,type); the lines stored in the image, or those of --lines.</translation>
    </message>
    <message>
        <source>IMAGE</source>
        <translation>IMAGE</translation>
    </message>
    <message>
        <source>Takes the test lines of --propose from a line-set file.</source>
        <translation>Takes the test lines of --propose from a line-set file.</translation>
    </message>
    <message>
        <source>SET.lin</source>
        <translation>SET.lin</translation>
    </message>
    <message>
        <source>--propose looks for boundaries brighter than the grains.</source>
        <translation>--propose looks for boundaries brighter than the grains.</translation>
    </message>
    <message>
        <source>--fields needs at least one image file.</source>
        <translation>--fields needs at least one image file.</translation>
    </message>
    <message>
        <source>Prints the measurements stored in the image files FILE... as one specimen table (CSV) without opening a window.</source>
        <translation>Prints the measurements stored in the image files FILE... as one specimen table (CSV) without opening a window.</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>Image files</source>
        <translation>Image files</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>Liniendefinitionen (*.lin)</source>
        <translation>Line sets (*.lin)</translation>
    </message>
    <message>
        <source>Normal intersection</source>
        <translation>Normal intersection</translation>
    </message>
    <message>
        <source>Second phase boundary</source>
        <translation>Second phase boundary</translation>
    </message>
    <message>
        <source>Triple point</source>
        <translation>Triple point</translation>
    </message>
    <message>
        <source>Tangential</source>
        <translation>Tangential</translation>
    </message>
    <message>
        <source>Start / End in grain</source>
        <translation>Start / End in grain</translation>
    </message>
    <message>
        <source>Start/End at grain boundary</source>
        <translation>Start / End at grain boundary</translation>
    </message>
    <message>
        <source>Load lines</source>
        <translation>Load lines</translation>
    </message>
    <message>
        <source> linies droped (partially outside image)</source>
        <translation> lines dropped (partly outside the image)</translation>
    </message>
    <message>
        <source>The measurement stored in this file is damaged and was not loaded.</source>
        <translation>The measurement stored in this file is damaged and was not loaded.</translation>
    </message>
    <message>
        <source>Die Eingabe der echten Länge ist fehlerhaft!</source>
        <translation>The real length entered is not valid!</translation>
    </message>
    <message>
        <source>Die Eingabe der Länge in Pixel ist fehlerhaft!</source>
        <translation>The length in pixels entered is not valid!</translation>
    </message>
    <message>
        <source>Die Eingabe des Fremdphasenanteils ist fehlerhaft!</source>
        <translation>The second phase fraction entered is not valid!</translation>
    </message>
    <message>
        <source>Die Eingabe des Umrechnungsfaktors ist fehlerhaft!</source>
        <translation>The conversion factor entered is not valid!</translation>
    </message>
    <message>
        <source>Fremdphasenanteil per Kalibrierung: </source>
        <translation>Second phase fraction set by calibration: </translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>Kalibierung</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>Not calibrated</source>
        <translation>Not calibrated</translation>
    </message>
    <message>
        <source>Line #</source>
        <translation>Line #</translation>
    </message>
    <message>
        <source>Total length</source>
        <translation>Total length</translation>
    </message>
    <message>
        <source>2d phase</source>
        <translation>2nd phase</translation>
    </message>
    <message>
        <source>Intersections</source>
        <translation>Intersections</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>ø grain size</source>
        <translation>ø grain size</translation>
    </message>
    <message>
        <source>Cal. Length</source>
        <translation>Cal. length</translation>
    </message>
    <message>
        <source>ø cal. size</source>
        <translation>ø cal. size</translation>
    </message>
    <message>
        <source>Vol % 2nd P</source>
        <translation>Vol % 2nd P</translation>
    </message>
    <message>
        <source>2nd phase</source>
        <translation>2nd phase</translation>
    </message>
    <message>
        <source>ø Grain size</source>
        <translation>ø Grain size</translation>
    </message>
    <message>
        <source>Cal. length</source>
        <translation>Cal. length</translation>
    </message>
    <message>
        <source>ø Cal. size</source>
        <translation>ø Cal. size</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>Sum</translation>
    </message>
    <message>
        <source>Confidence / Error</source>
        <translation>Confidence / Error</translation>
    </message>
    <message>
        <source>Anisotropie liegt vielleicht vor!</source>
        <translation>The structure may be anisotropic!</translation>
    </message>
    <message>
        <source>Needed Intersections: </source>
        <translation>Intersections still needed: </translation>
    </message>
    <message>
        <source>Intersections: </source>
        <translation>Intersections: </translation>
    </message>
    <message>
        <source>Cal. grain size: </source>
        <translation>Cal. grain size: </translation>
    </message>
    <message>
        <source>Check for anisotropy! (</source>
        <translation>Check for anisotropy! (</translation>
    </message>
    <message>
        <source>Intersections:</source>
        <translation>Intersections:</translation>
    </message>
    <message>
        <source>Cal. grain size:</source>
        <translation>Cal. grain size:</translation>
    </message>
    <message>
        <source>Delete line # %1?</source>
        <translation>Delete line # %1?</translation>
    </message>
    <message>
        <source>Soll CV: </source>
        <translation>Target CV: </translation>
    </message>
    <message>
        <source>Sqrt(Nmittel): </source>
        <translation>Sqrt(N mean): </translation>
    </message>
    <message>
        <source>CV/SollCV: </source>
        <translation>CV / target CV: </translation>
    </message>
    <message>
        <source>not defined (Soll CV = 0)</source>
        <translation>not defined (target CV = 0)</translation>
    </message>
    <message>
        <source>S/Sqrt(Nmittel): </source>
        <translation>S / Sqrt(N mean): </translation>
    </message>
    <message>
        <source>not defined (Sqrt(Nmittel) = 0)</source>
        <translation>not defined (Sqrt(N mean) = 0)</translation>
    </message>
    <message>
        <source>Delete line</source>
        <translation>Delete line</translation>
    </message>
    <message>
        <source>Interne Werte</source>
        <translation>Internal values</translation>
    </message>
    <message>
        <source>Length: </source>
        <translation>Length: </translation>
    </message>
    <message>
        <source>Intercept # </source>
        <translation>Intercept # </translation>
    </message>
    <message>
        <source>Type: </source>
        <translation>Type: </translation>
    </message>
    <message>
        <source>Grays</source>
        <translation>Grey values</translation>
    </message>
    <message>
        <source>Linie analysis of line # </source>
        <translation>Analysis of line # </translation>
    </message>
    <message>
        <source>Grays for line # </source>
        <translation>Grey values of line # </translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>Histogram</translation>
    </message>
    <message>
        <source>Interception lengths of line </source>
        <translation>Intercept lengths of line </translation>
    </message>
    <message>
        <source>Position: </source>
        <translation>Position: </translation>
    </message>
    <message>
        <source>Gray: </source>
        <translation>Grey: </translation>
    </message>
    <message>
        <source>Increment: </source>
        <translation>Increment: </translation>
    </message>
    <message>
        <source>Count: </source>
        <translation>Count: </translation>
    </message>
    <message>
        <source>Brightness, Contrast, Gamma Filter</source>
        <translation>Brightness, contrast, gamma filter</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>Apply on</source>
        <translation>Apply on</translation>
    </message>
    <message>
        <source>Sharpen</source>
        <translation>Sharpen</translation>
    </message>
    <message>
        <source>Std. deviation</source>
        <translation>Std. deviation</translation>
    </message>
    <message>
        <source>Strength</source>
        <translation>Strength</translation>
    </message>
    <message>
        <source>White</source>
        <translation>White</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>Contour</source>
        <translation>Contour</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>not a line-set file</source>
        <translation>not a line-set file</translation>
    </message>
    <message>
        <source>no test lines</source>
        <translation>no test lines</translation>
    </message>
    <message>
        <source>Add line</source>
        <translation>Add line</translation>
    </message>
    <message>
        <source>Add circle</source>
        <translation>Add circle</translation>
    </message>
    <message>
        <source>Add intercept</source>
        <translation>Add intercept</translation>
    </message>
    <message>
        <source>Change intercept type</source>
        <translation>Change intercept type</translation>
    </message>
    <message>
        <source>Delete intercept</source>
        <translation>Delete intercept</translation>
    </message>
    <message>
        <source>Mark second phase</source>
        <translation>Mark second phase</translation>
    </message>
    <message>
        <source>Unmark second phase</source>
        <translation>Unmark second phase</translation>
    </message>
    <message>
        <source>Tick line</source>
        <translation>Tick line</translation>
    </message>
    <message>
        <source>Untick line</source>
        <translation>Untick line</translation>
    </message>
    <message>
        <source>Load line set</source>
        <translation>Load line set</translation>
    </message>
    <message>
        <source>Accept proposed crossings</source>
        <translation>Accept proposed crossings</translation>
    </message>
    <message>
        <source>Change conversion factor</source>
        <translation>Change conversion factor</translation>
    </message>
    <message>
        <source>Change second phase fraction</source>
        <translation>Change second phase fraction</translation>
    </message>
    <message>
        <source>Lay pattern</source>
        <translation>Lay pattern</translation>
    </message>
    <message>
        <source>No test line here</source>
        <translation>No test line here</translation>
    </message>
    <message>
        <source>%1-bit image shown as 8-bit, range %2–%3</source>
        <translation>%1-bit image shown as 8-bit, range %2–%3</translation>
    </message>
    <message>
        <source>Invalid size of %1</source>
        <translation>Invalid size of %1</translation>
    </message>
    <message>
        <source>%1 invalid</source>
        <translation>%1 invalid</translation>
    </message>
    <message>
        <source>Not a %1 file</source>
        <translation>Not a %1 file</translation>
    </message>
    <message>
        <source>Invalid value for %1</source>
        <translation>Invalid value for %1</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 failed</translation>
    </message>
    <message>
        <source>Not supported subformat</source>
        <translation>Subformat not supported</translation>
    </message>
    <message>
        <source>Unknown subformat</source>
        <translation>Unknown subformat</translation>
    </message>
    <message>
        <source>Invalid library version</source>
        <translation>Invalid library version</translation>
    </message>
    <message>
        <source>Width = 0 or Height = 0</source>
        <translation>Width = 0 or Height = 0</translation>
    </message>
    <message>
        <source>Invalid color resolution</source>
        <translation>Invalid colour resolution</translation>
    </message>
    <message>
        <source>Unknown file format</source>
        <translation>Unknown file format</translation>
    </message>
    <message>
        <source>Unknown file extension &quot;%1&quot;</source>
        <translation>Unknown file extension &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Unexpected end of file</source>
        <translation>Unexpected end of file</translation>
    </message>
    <message>
        <source>Image too large</source>
        <translation>Image too large</translation>
    </message>
    <message>
        <source>The graphic cannot be saved to a %1 file with the current color resolution (%2).<byte value="xd"/><byte value="xd"/>The graphic will be saved with a different color resolution (%3).</source>
        <translation>The image cannot be saved to a %1 file with its current colour resolution (%2).<byte value="xd"/><byte value="xd"/>It will be saved with a different colour resolution (%3).</translation>
    </message>
    <message>
        <source>The graphic cannot be saved with to a %1 file with the current color resolution (%2)</source>
        <translation>The image cannot be saved to a %1 file with its current colour resolution (%2)</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source> — save the image again as a Windows bitmap or as PNG and open it again</source>
        <translation> — save the image again as a Windows bitmap or as PNG and open it again</translation>
    </message>
    <message>
        <source> — save the image as an uncompressed bitmap or as PNG and open it again</source>
        <translation> — save the image as an uncompressed bitmap or as PNG and open it again</translation>
    </message>
    <message>
        <source> — save the image with 1, 4, 8, 24 or 32 bits per pixel, or as PNG, and open it again</source>
        <translation> — save the image with 1, 4, 8, 24 or 32 bits per pixel, or as PNG, and open it again</translation>
    </message>
    <message>
        <source>Invalid image width</source>
        <translation>Invalid image width</translation>
    </message>
    <message>
        <source>Invalid image height</source>
        <translation>Invalid image height</translation>
    </message>
    <message>
        <source>Invalid offset of the pixel data</source>
        <translation>Invalid offset of the pixel data</translation>
    </message>
    <message>
        <source>Invalid colour masks</source>
        <translation>Invalid colour masks</translation>
    </message>
    <message>
        <source>Invalid number of palette colours</source>
        <translation>Invalid number of palette colours</translation>
    </message>
    <message>
        <source>Invalid run-length data</source>
        <translation>Invalid run-length data</translation>
    </message>
    <message>
        <source>Invalid palette index</source>
        <translation>Invalid palette index</translation>
    </message>
    <message>
        <source>Too many progressive scans</source>
        <translation>Too many progressive scans</translation>
    </message>
    <message>
        <source>Write error</source>
        <translation>Write error</translation>
    </message>
    <message>
        <source>Decoding failed</source>
        <translation>Decoding failed</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Not a regular file</translation>
    </message>
    <message>
        <source>%1: the file changed while it was read</source>
        <translation>%1: the file changed while it was read</translation>
    </message>
    <message>
        <source>IDAT: CRC error</source>
        <translation>IDAT: CRC error</translation>
    </message>
    <message>
        <source>Missing palette</source>
        <translation>Missing palette</translation>
    </message>
    <message>
        <source>TIFF (PackBits): Invalid count of bytes in row %1</source>
        <translation>TIFF (PackBits): Invalid count of bytes in row %1</translation>
    </message>
    <message>
        <source>TIFF: Invalid %1</source>
        <translation>TIFF: Invalid %1</translation>
    </message>
    <message>
        <source> — save the image uncompressed or as PNG and open it again</source>
        <translation> — save the image uncompressed or as PNG and open it again</translation>
    </message>
    <message>
        <source> — save the image as 8-bit grey or RGB, or as PNG, and open it again</source>
        <translation> — save the image as 8-bit grey or RGB, or as PNG, and open it again</translation>
    </message>
    <message>
        <source>TIFF: Unsupported field Type: %1</source>
        <translation>TIFF: Unsupported field Type: %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported compression %1</source>
        <translation>TIFF: Unsupported compression %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported %1 Bits/Pixel</source>
        <translation>TIFF: Unsupported %1 Bits/Pixel</translation>
    </message>
    <message>
        <source>TIFF: Unsupported SampleFormat %1</source>
        <translation>TIFF: Unsupported SampleFormat %1</translation>
    </message>
    <message>
        <source>TIFF: Invalid count of SamplesPerPixel</source>
        <translation>TIFF: Invalid count of SamplesPerPixel</translation>
    </message>
    <message>
        <source>TIFF: Unsupported photometric interpretation %1</source>
        <translation>TIFF: Unsupported photometric interpretation %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported Predictor %1</source>
        <translation>TIFF: Unsupported Predictor %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported JPEG data (%1 × %2 bits)</source>
        <translation>TIFF: Unsupported JPEG data (%1 × %2 bits)</translation>
    </message>
    <message>
        <source>%1 in tile %2</source>
        <translation>%1 in tile %2</translation>
    </message>
    <message>
        <source>%1 in strip %2</source>
        <translation>%1 in strip %2</translation>
    </message>
    <message>
        <source>TIFF: Tiles cost far more than the image (TileWidth %1, TileLength %2)</source>
        <translation>TIFF: Tiles cost far more than the image (TileWidth %1, TileLength %2)</translation>
    </message>
    <message>
        <source>Not enough data</source>
        <translation>Not enough data</translation>
    </message>
    <message>
        <source>More data than the image holds</source>
        <translation>More data than the image holds</translation>
    </message>
    <message>
        <source>Invalid data</source>
        <translation>Invalid data</translation>
    </message>
    <message>
        <source>TIFF: Not a TIF file</source>
        <translation>TIFF: Not a TIF file</translation>
    </message>
    <message>
        <source>Grey %1</source>
        <translation>Grey %1</translation>
    </message>
    <message>
        <source>%1 line</source>
        <translation>%1 line</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 lines</translation>
    </message>
    <message>
        <source>The line set ends before its %1 (it holds %2); no line was loaded.</source>
        <translation>The line set ends before its %1 (it holds %2); no line was loaded.</translation>
    </message>
    <message>
        <source>The line set ends before its line count; no line was loaded.</source>
        <translation>The line set ends before its line count; no line was loaded.</translation>
    </message>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>Lines</translation>
    </message>
    <message>
        <source>Test length (px)</source>
        <translation>Test length (px)</translation>
    </message>
    <message>
        <source>Intercepts</source>
        <translation>Intercepts</translation>
    </message>
    <message>
        <source>Calibrated fields n</source>
        <translation>Calibrated fields n</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>Mean ℓ̄ ± 95 % CI</source>
        <translation>Mean ℓ̄ ± 95 % CI</translation>
    </message>
    <message>
        <source>Standard deviation s</source>
        <translation>Standard deviation s</translation>
    </message>
    <message>
        <source>Relative accuracy</source>
        <translation>Relative accuracy</translation>
    </message>
    <message>
        <source>G of the mean</source>
        <translation>G of the mean</translation>
    </message>
    <message>
        <source>Fields for 10 % RA (n&apos;)</source>
        <translation>Fields for 10 % RA (n&apos;)</translation>
    </message>
    <message>
        <source>Mean ℓ̄ in pixels</source>
        <translation>Mean ℓ̄ in pixels</translation>
    </message>
    <message>
        <source>The file does not start with the header of a specimen table.</source>
        <translation>The file does not start with the header of a specimen table.</translation>
    </message>
    <message>
        <source>Row %1: &quot;%2&quot; in column %3 is not a number.</source>
        <translation>Row %1: &quot;%2&quot; in column %3 is not a number.</translation>
    </message>
    <message>
        <source>Row %1: column %2 is empty.</source>
        <translation>Row %1: column %2 is empty.</translation>
    </message>
    <message>
        <source>Row %1 has %2 fields instead of %3.</source>
        <translation>Row %1 has %2 fields instead of %3.</translation>
    </message>
    <message>
        <source>Row %1: %2 is not a number of lines.</source>
        <translation>Row %1: %2 is not a number of lines.</translation>
    </message>
    <message>
        <source>Row %1: &quot;%2&quot; is not a unit (µm, nm or mm).</source>
        <translation>Row %1: &quot;%2&quot; is not a unit (µm, nm or mm).</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation>Usage: %1</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[options]</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>Arguments:</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Unknown option &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>Unknown options: %1.</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Missing value after &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Unexpected value after &apos;%1&apos;.</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Discard</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Tesra specimen report</source>
        <translation>Tesra specimen report</translation>
    </message>
    <message>
        <source>Date: %1</source>
        <translation>Date: %1</translation>
    </message>
    <message>
        <source>Specimen</source>
        <translation>Specimen</translation>
    </message>
    <message>
        <source>95 % CI = t(0.975, n − 1) · s / √n over the fields&apos; ℓ̄; % RA = 100 · CI / mean; G = −6.643856 · log10(ℓ̄ in mm) − 3.288.</source>
        <translation>95 % CI = t(0.975, n − 1) · s / √n over the fields&apos; ℓ̄; % RA = 100 · CI / mean; G = −6.643856 · log10(ℓ̄ in mm) − 3.288.</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>Field %1: %2</source>
        <translation>Field %1: %2</translation>
    </message>
    <message>
        <source>The field&apos;s image cannot be shown: %1</source>
        <translation>The field&apos;s image cannot be shown: %1</translation>
    </message>
    <message>
        <source>Calibration: %1</source>
        <translation>Calibration: %1</translation>
    </message>
    <message>
        <source>ℓ̄: %1 px, %2;  G: %3</source>
        <translation>ℓ̄: %1 px, %2;  G: %3</translation>
    </message>
</context>
<context>
    <name>tesra::TFilterPreviewDialog</name>
    <message>
        <source>No image</source>
        <translation>No image</translation>
    </message>
</context>
<context>
    <name>tesra::TfCopyRight</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>tesra::TfGrau</name>
    <message>
        <source>Tools</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>Cal. length</source>
        <translation>Cal. length</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>Mean</translation>
    </message>
</context>
<context>
    <name>tesra::TfHelp</name>
    <message>
        <source>Tesra Help</source>
        <translation>Tesra Help</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>Tesra Help - %1</source>
        <translation>Tesra Help - %1</translation>
    </message>
    <message>
        <source>The help file &quot;%1&quot; cannot be opened. It belongs in the program&apos;s folder, next to the program itself.</source>
        <translation>The help file &quot;%1&quot; cannot be opened. It belongs in the program&apos;s folder, next to the program itself.</translation>
    </message>
</context>
<context>
    <name>tesra::TfImage</name>
    <message>
        <source>Proposed crossings: %1. Enter accepts them, a click on one rejects it or takes it back, Escape discards them.</source>
        <translation>Proposed crossings: %1. Enter accepts them, a click on one rejects it or takes it back, Escape discards them.</translation>
    </message>
    <message>
        <source>No crossings found.</source>
        <translation>No crossings found.</translation>
    </message>
    <message>
        <source>Intercepts added from the proposals: %1.</source>
        <translation>Intercepts added from the proposals: %1.</translation>
    </message>
    <message>
        <source>Proposals discarded.</source>
        <translation>Proposals discarded.</translation>
    </message>
    <message>
        <source>Proposed crossings kept: %1 of %2. Enter accepts them, Escape discards them.</source>
        <translation>Proposed crossings kept: %1 of %2. Enter accepts them, Escape discards them.</translation>
    </message>
    <message>
        <source>Bild</source>
        <translation>Image</translation>
    </message>
</context>
<context>
    <name>tesra::TfKalibieren</name>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Length in pixels</source>
        <translation>Length in pixels</translation>
    </message>
    <message>
        <source>Real length</source>
        <translation>Real length</translation>
    </message>
    <message>
        <source>Second phase fraction in %</source>
        <translation>Second phase fraction in %</translation>
    </message>
    <message>
        <source>Conversion factor</source>
        <translation>Conversion factor</translation>
    </message>
    <message>
        <source>Remarks</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>A named calibration: choose one, or type a name and keep the lengths under it</source>
        <translation>A named calibration: choose one, or type a name and keep the lengths under it</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Apply the last calibration to every image opened</source>
        <translation>Apply the last calibration to every image opened</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>A preset needs a name, a length in pixels and a real length.</source>
        <translation>A preset needs a name, a length in pixels and a real length.</translation>
    </message>
</context>
<context>
    <name>tesra::TfMain</name>
    <message>
        <source>Add line</source>
        <translation>Add line</translation>
    </message>
    <message>
        <source>Add / Change intersection</source>
        <translation>Add / Change intersection</translation>
    </message>
    <message>
        <source>Delete intersection</source>
        <translation>Delete intersection</translation>
    </message>
    <message>
        <source>Mark second phase</source>
        <translation>Mark second phase</translation>
    </message>
    <message>
        <source>Image information</source>
        <translation>Image information</translation>
    </message>
    <message>
        <source>Image manipulation</source>
        <translation>Image manipulation</translation>
    </message>
    <message>
        <source>Datei</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Open image</source>
        <translation>Open image</translation>
    </message>
    <message>
        <source>Save image</source>
        <translation>Save image</translation>
    </message>
    <message>
        <source>Save photo</source>
        <translation>Save photo</translation>
    </message>
    <message>
        <source>Linienset Laden</source>
        <translation>Load line set</translation>
    </message>
    <message>
        <source>Linienset Speichern</source>
        <translation>Save line set</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>Sheet</source>
        <translation>Sheet</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>Histogram</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Modus</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Help (F1)</source>
        <translation>Help (F1)</translation>
    </message>
    <message>
        <source>About Tesra</source>
        <translation>About Tesra</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>Add circle</source>
        <translation>Add circle</translation>
    </message>
    <message>
        <source>Analys</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>Interception lengths</source>
        <translation>Intercept lengths</translation>
    </message>
    <message>
        <source>Sharpen</source>
        <translation>Sharpen</translation>
    </message>
    <message>
        <source>Bright. / Contrast</source>
        <translation>Brightness / Contrast</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Detail</translation>
    </message>
    <message>
        <source>Contour</source>
        <translation>Contour</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Noch benötigte Anzahl an Intercepts</source>
        <translation>Number of intercepts still needed</translation>
    </message>
    <message>
        <source>Intersections:</source>
        <translation>Intersections:</translation>
    </message>
    <message>
        <source>Cal. grain size:</source>
        <translation>Cal. grain size:</translation>
    </message>
    <message>
        <source>Übersicht</source>
        <translation>Overview</translation>
    </message>
    <message>
        <source>Unsaved data. Discard?</source>
        <translation>Unsaved data. Discard?</translation>
    </message>
    <message>
        <source>Line analysis</source>
        <translation>Line analysis</translation>
    </message>
    <message>
        <source>Segment lengths</source>
        <translation>Segment lengths</translation>
    </message>
    <message>
        <source>Tesra measurement </source>
        <translation>Tesra measurement </translation>
    </message>
    <message>
        <source>Propose</source>
        <translation>Propose</translation>
    </message>
    <message>
        <source>Propose the boundary crossings of the selected line, or of all lines</source>
        <translation>Propose the boundary crossings of the selected line, or of all lines</translation>
    </message>
    <message>
        <source>Selected line</source>
        <translation>Selected line</translation>
    </message>
    <message>
        <source>All lines</source>
        <translation>All lines</translation>
    </message>
    <message>
        <source>Bright boundaries</source>
        <translation>Bright boundaries</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Sensitivity</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>High</source>
        <translation>High</translation>
    </message>
    <message>
        <source>Minimum spacing</source>
        <translation>Minimum spacing</translation>
    </message>
    <message>
        <source>%1 px</source>
        <translation>%1 px</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Fit to window</source>
        <translation>Fit to window</translation>
    </message>
    <message>
        <source>Reset layout</source>
        <translation>Reset layout</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>Undo %1</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>Redo %1</translation>
    </message>
    <message>
        <source>Draw a scale bar (calibrated images)</source>
        <translation>Draw a scale bar (calibrated images)</translation>
    </message>
    <message>
        <source>Specimen</source>
        <translation>Specimen</translation>
    </message>
    <message>
        <source>Grain size number of the calibrated mean lineal intercept</source>
        <translation>Grain size number of the calibrated mean lineal intercept</translation>
    </message>
    <message>
        <source>Three circles, diameters 3 : 2 : 1</source>
        <translation>Three circles, diameters 3 : 2 : 1</translation>
    </message>
    <message>
        <source>Four lines through the centre (0°, 45°, 90°, 135°)</source>
        <translation>Four lines through the centre (0°, 45°, 90°, 135°)</translation>
    </message>
    <message>
        <source>N parallel lines</source>
        <translation>N parallel lines</translation>
    </message>
    <message>
        <source>Grid of N × M lines</source>
        <translation>Grid of N × M lines</translation>
    </message>
    <message>
        <source>N</source>
        <translation>N</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>Pattern</source>
        <translation>Pattern</translation>
    </message>
    <message>
        <source>Lay a standard pattern of test lines</source>
        <translation>Lay a standard pattern of test lines</translation>
    </message>
    <message>
        <source>The image is too small for this pattern.</source>
        <translation>The image is too small for this pattern.</translation>
    </message>
    <message>
        <source>The pattern needs %1 lines; the measurement has room for %2 more.</source>
        <translation>The pattern needs %1 lines; the measurement has room for %2 more.</translation>
    </message>
</context>
<context>
    <name>tesra::TfProbe</name>
    <message>
        <source>Specimen</source>
        <translation>Specimen</translation>
    </message>
    <message>
        <source>Add the field on every save</source>
        <translation>Add the field on every save</translation>
    </message>
    <message>
        <source>Add field</source>
        <translation>Add field</translation>
    </message>
    <message>
        <source>Remove field</source>
        <translation>Remove field</translation>
    </message>
    <message>
        <source>Open specimen…</source>
        <translation>Open specimen…</translation>
    </message>
    <message>
        <source>Save specimen as…</source>
        <translation>Save specimen as…</translation>
    </message>
    <message>
        <source>PDF report…</source>
        <translation>PDF report…</translation>
    </message>
    <message>
        <source>the file cannot be read.</source>
        <translation>the file cannot be read.</translation>
    </message>
    <message>
        <source>Open specimen</source>
        <translation>Open specimen</translation>
    </message>
    <message>
        <source>Save specimen as</source>
        <translation>Save specimen as</translation>
    </message>
    <message>
        <source>PDF report</source>
        <translation>PDF report</translation>
    </message>
    <message>
        <source>Not kept in a file yet (Save specimen as…)</source>
        <translation>Not kept in a file yet (Save specimen as…)</translation>
    </message>
    <message>
        <source>Kept in %1</source>
        <translation>Kept in %1</translation>
    </message>
</context>
<context>
    <name>tesra::TfTabelle</name>
    <message>
        <source>Sheet</source>
        <translation>Sheet</translation>
    </message>
    <message>
        <source>Meßwerte</source>
        <translation>Measured values</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Sheet as CSV</source>
        <translation>Sheet as CSV</translation>
    </message>
    <message>
        <source>Intercepts as CSV</source>
        <translation>Intercepts as CSV</translation>
    </message>
</context>
</TS>
