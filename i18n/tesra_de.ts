<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Artwork</name>
    <message>
        <source>grain size by the linear-intercept method</source>
        <translation>Korngröße nach dem Linienschnittverfahren</translation>
    </message>
    <message>
        <source>Mean grain size of micrographs</source>
        <translation>Mittlere Korngröße von Gefügebildern</translation>
    </message>
    <message>
        <source>Test lines and circles over the image, intercepts of six types, second-phase stretches and a calibration give the mean intercept length with its confidence and the intercepts still needed.</source>
        <translation>Messlinien und -kreise über dem Bild, Schnittpunkte sechs verschiedener Typen, Stücke zweiter Phase und eine Kalibrierung ergeben die mittlere Sehnenlänge mit ihrem Vertrauensbereich und die noch benötigten Schnittpunkte.</translation>
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
        <translation>»%1 --help« zeigt weitere Informationen.</translation>
    </message>
    <message>
        <source>Measures the mean grain size of micrographs by the linear-intercept method.</source>
        <translation>Misst die mittlere Korngröße von Gefügebildern nach dem Linienschnittverfahren.</translation>
    </message>
    <message>
        <source>Displays this help.</source>
        <translation>Zeigt diese Hilfe.</translation>
    </message>
    <message>
        <source>Displays the program&apos;s version.</source>
        <translation>Zeigt die Version des Programms.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>DATEI</translation>
    </message>
    <message>
        <source>Image to open (Tesra shows one image at a time).</source>
        <translation>Zu öffnendes Bild (Tesra zeigt jeweils ein Bild).</translation>
    </message>
    <message>
        <source>[FILE...]</source>
        <translation>[DATEI...]</translation>
    </message>
    <message>
        <source>%1 and %2 cannot be used together.</source>
        <translation>%1 und %2 lassen sich nicht zusammen verwenden.</translation>
    </message>
    <message>
        <source>%1 goes only with %2.</source>
        <translation>%1 geht nur zusammen mit %2.</translation>
    </message>
    <message>
        <source>Tesra shows one image at a time; opening %1 only.</source>
        <translation>Tesra zeigt jeweils ein Bild; nur %1 wird geöffnet.</translation>
    </message>
    <message>
        <source>Prints the proposed boundary crossings along the test lines of IMAGE as CSV (line,x,y,type); the lines stored in the image, or those of --lines.</source>
        <translation>Gibt die vorgeschlagenen Korngrenzenschnitte entlang der Messlinien von BILD als CSV aus (line,x,y,type); die im Bild gespeicherten Linien oder die von --lines.</translation>
    </message>
    <message>
        <source>IMAGE</source>
        <translation>BILD</translation>
    </message>
    <message>
        <source>Takes the test lines of --propose from a line-set file.</source>
        <translation>Nimmt die Messlinien für --propose aus einer Liniensatzdatei.</translation>
    </message>
    <message>
        <source>SET.lin</source>
        <translation>SATZ.lin</translation>
    </message>
    <message>
        <source>--propose looks for boundaries brighter than the grains.</source>
        <translation>--propose sucht Korngrenzen, die heller als die Körner sind.</translation>
    </message>
    <message>
        <source>--fields needs at least one image file.</source>
        <translation>--fields braucht mindestens eine Bilddatei.</translation>
    </message>
    <message>
        <source>Prints the measurements stored in the image files FILE... as one specimen table (CSV) without opening a window.</source>
        <translation>Gibt die in den Bilddateien DATEI... gespeicherten Messungen als eine Probentabelle (CSV) aus, ohne ein Fenster zu öffnen.</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>Image files</source>
        <translation>Bilddateien</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Liniendefinitionen (*.lin)</source>
        <translation>Liniensätze (*.lin)</translation>
    </message>
    <message>
        <source>Normal intersection</source>
        <translation>Normaler Schnittpunkt</translation>
    </message>
    <message>
        <source>Second phase boundary</source>
        <translation>Grenze zur zweiten Phase</translation>
    </message>
    <message>
        <source>Triple point</source>
        <translation>Tripelpunkt</translation>
    </message>
    <message>
        <source>Tangential</source>
        <translation>Tangential</translation>
    </message>
    <message>
        <source>Start / End in grain</source>
        <translation>Anfang / Ende im Korn</translation>
    </message>
    <message>
        <source>Start/End at grain boundary</source>
        <translation>Anfang / Ende an der Korngrenze</translation>
    </message>
    <message>
        <source>Load lines</source>
        <translation>Linien laden</translation>
    </message>
    <message>
        <source> linies droped (partially outside image)</source>
        <translation> Linien verworfen (teilweise außerhalb des Bildes)</translation>
    </message>
    <message>
        <source>The measurement stored in this file is damaged and was not loaded.</source>
        <translation>Die in dieser Datei gespeicherte Messung ist beschädigt und wurde nicht geladen.</translation>
    </message>
    <message>
        <source>Die Eingabe der echten Länge ist fehlerhaft!</source>
        <translation>Die Eingabe der echten Länge ist fehlerhaft!</translation>
    </message>
    <message>
        <source>Die Eingabe der Länge in Pixel ist fehlerhaft!</source>
        <translation>Die Eingabe der Länge in Pixel ist fehlerhaft!</translation>
    </message>
    <message>
        <source>Die Eingabe des Fremdphasenanteils ist fehlerhaft!</source>
        <translation>Die Eingabe des Fremdphasenanteils ist fehlerhaft!</translation>
    </message>
    <message>
        <source>Die Eingabe des Umrechnungsfaktors ist fehlerhaft!</source>
        <translation>Die Eingabe des Umrechnungsfaktors ist fehlerhaft!</translation>
    </message>
    <message>
        <source>Fremdphasenanteil per Kalibrierung: </source>
        <translation>Fremdphasenanteil per Kalibrierung: </translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Kalibrieren</translation>
    </message>
    <message>
        <source>Kalibierung</source>
        <translation>Kalibrierung</translation>
    </message>
    <message>
        <source>Not calibrated</source>
        <translation>Nicht kalibriert</translation>
    </message>
    <message>
        <source>Line #</source>
        <translation>Linie Nr.</translation>
    </message>
    <message>
        <source>Total length</source>
        <translation>Gesamtlänge</translation>
    </message>
    <message>
        <source>2d phase</source>
        <translation>2. Phase</translation>
    </message>
    <message>
        <source>Intersections</source>
        <translation>Schnittpunkte</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>ø grain size</source>
        <translation>ø Korngröße</translation>
    </message>
    <message>
        <source>Cal. Length</source>
        <translation>Kal. Länge</translation>
    </message>
    <message>
        <source>ø cal. size</source>
        <translation>ø kal. Größe</translation>
    </message>
    <message>
        <source>Vol % 2nd P</source>
        <translation>Vol % 2. Ph.</translation>
    </message>
    <message>
        <source>2nd phase</source>
        <translation>2. Phase</translation>
    </message>
    <message>
        <source>ø Grain size</source>
        <translation>ø Korngröße</translation>
    </message>
    <message>
        <source>Cal. length</source>
        <translation>Kal. Länge</translation>
    </message>
    <message>
        <source>ø Cal. size</source>
        <translation>ø Kal. Größe</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>Summe</translation>
    </message>
    <message>
        <source>Confidence / Error</source>
        <translation>Vertrauensbereich / Fehler</translation>
    </message>
    <message>
        <source>Anisotropie liegt vielleicht vor!</source>
        <translation>Anisotropie liegt vielleicht vor!</translation>
    </message>
    <message>
        <source>Needed Intersections: </source>
        <translation>Noch benötigte Schnittpunkte: </translation>
    </message>
    <message>
        <source>Intersections: </source>
        <translation>Schnittpunkte: </translation>
    </message>
    <message>
        <source>Cal. grain size: </source>
        <translation>Kal. Korngröße: </translation>
    </message>
    <message>
        <source>Check for anisotropy! (</source>
        <translation>Auf Anisotropie prüfen! (</translation>
    </message>
    <message>
        <source>Intersections:</source>
        <translation>Schnittpunkte:</translation>
    </message>
    <message>
        <source>Cal. grain size:</source>
        <translation>Kal. Korngröße:</translation>
    </message>
    <message>
        <source>Delete line # %1?</source>
        <translation>Linie Nr. %1 löschen?</translation>
    </message>
    <message>
        <source>Soll CV: </source>
        <translation>Soll-CV: </translation>
    </message>
    <message>
        <source>Sqrt(Nmittel): </source>
        <translation>Wurzel(N Mittel): </translation>
    </message>
    <message>
        <source>CV/SollCV: </source>
        <translation>CV / Soll-CV: </translation>
    </message>
    <message>
        <source>not defined (Soll CV = 0)</source>
        <translation>nicht definiert (Soll-CV = 0)</translation>
    </message>
    <message>
        <source>S/Sqrt(Nmittel): </source>
        <translation>S / Wurzel(N Mittel): </translation>
    </message>
    <message>
        <source>not defined (Sqrt(Nmittel) = 0)</source>
        <translation>nicht definiert (Wurzel(N Mittel) = 0)</translation>
    </message>
    <message>
        <source>Delete line</source>
        <translation>Linie löschen</translation>
    </message>
    <message>
        <source>Interne Werte</source>
        <translation>Interne Werte</translation>
    </message>
    <message>
        <source>Length: </source>
        <translation>Länge: </translation>
    </message>
    <message>
        <source>Intercept # </source>
        <translation>Schnittpunkt Nr. </translation>
    </message>
    <message>
        <source>Type: </source>
        <translation>Typ: </translation>
    </message>
    <message>
        <source>Grays</source>
        <translation>Grauwerte</translation>
    </message>
    <message>
        <source>Linie analysis of line # </source>
        <translation>Analyse der Linie Nr. </translation>
    </message>
    <message>
        <source>Grays for line # </source>
        <translation>Grauwerte der Linie Nr. </translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>Histogramm</translation>
    </message>
    <message>
        <source>Interception lengths of line </source>
        <translation>Sehnenlängen der Linie </translation>
    </message>
    <message>
        <source>Position: </source>
        <translation>Position: </translation>
    </message>
    <message>
        <source>Gray: </source>
        <translation>Grauwert: </translation>
    </message>
    <message>
        <source>Increment: </source>
        <translation>Anstieg: </translation>
    </message>
    <message>
        <source>Count: </source>
        <translation>Anzahl: </translation>
    </message>
    <message>
        <source>Brightness, Contrast, Gamma Filter</source>
        <translation>Helligkeit, Kontrast, Gamma</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>Helligkeit</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Kontrast</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>Apply on</source>
        <translation>Anwenden auf</translation>
    </message>
    <message>
        <source>Sharpen</source>
        <translation>Schärfen</translation>
    </message>
    <message>
        <source>Std. deviation</source>
        <translation>Standardabweichung</translation>
    </message>
    <message>
        <source>Strength</source>
        <translation>Stärke</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Weiß</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Schwarz</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Contour</source>
        <translation>Kontur</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Hintergrund</translation>
    </message>
    <message>
        <source>not a line-set file</source>
        <translation>keine Liniensatzdatei</translation>
    </message>
    <message>
        <source>no test lines</source>
        <translation>keine Messlinien</translation>
    </message>
    <message>
        <source>Add line</source>
        <translation>Linie hinzufügen</translation>
    </message>
    <message>
        <source>Add circle</source>
        <translation>Kreis hinzufügen</translation>
    </message>
    <message>
        <source>Add intercept</source>
        <translation>Schnittpunkt hinzufügen</translation>
    </message>
    <message>
        <source>Change intercept type</source>
        <translation>Schnittpunkttyp ändern</translation>
    </message>
    <message>
        <source>Delete intercept</source>
        <translation>Schnittpunkt löschen</translation>
    </message>
    <message>
        <source>Mark second phase</source>
        <translation>Zweite Phase markieren</translation>
    </message>
    <message>
        <source>Unmark second phase</source>
        <translation>Zweite Phase aufheben</translation>
    </message>
    <message>
        <source>Tick line</source>
        <translation>Linie abhaken</translation>
    </message>
    <message>
        <source>Untick line</source>
        <translation>Haken der Linie entfernen</translation>
    </message>
    <message>
        <source>Load line set</source>
        <translation>Linienset laden</translation>
    </message>
    <message>
        <source>Accept proposed crossings</source>
        <translation>Vorgeschlagene Schnittpunkte übernehmen</translation>
    </message>
    <message>
        <source>Change conversion factor</source>
        <translation>Umrechnungsfaktor ändern</translation>
    </message>
    <message>
        <source>Change second phase fraction</source>
        <translation>Fremdphasenanteil ändern</translation>
    </message>
    <message>
        <source>Lay pattern</source>
        <translation>Muster legen</translation>
    </message>
    <message>
        <source>No test line here</source>
        <translation>Hier ist keine Messlinie</translation>
    </message>
    <message>
        <source>%1-bit image shown as 8-bit, range %2–%3</source>
        <translation>%1-Bit-Bild als 8 Bit gezeigt, Bereich %2–%3</translation>
    </message>
    <message>
        <source>Invalid size of %1</source>
        <translation>Ungültige Größe von %1</translation>
    </message>
    <message>
        <source>%1 invalid</source>
        <translation>%1 ungültig</translation>
    </message>
    <message>
        <source>Not a %1 file</source>
        <translation>Keine %1-Datei</translation>
    </message>
    <message>
        <source>Invalid value for %1</source>
        <translation>Ungültiger Wert für %1</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>Not supported subformat</source>
        <translation>Nicht unterstütztes Unterformat</translation>
    </message>
    <message>
        <source>Unknown subformat</source>
        <translation>Unbekanntes Unterformat</translation>
    </message>
    <message>
        <source>Invalid library version</source>
        <translation>Ungültige Bibliotheksversion</translation>
    </message>
    <message>
        <source>Width = 0 or Height = 0</source>
        <translation>Breite = 0 oder Höhe = 0</translation>
    </message>
    <message>
        <source>Invalid color resolution</source>
        <translation>Ungültige Farbtiefe</translation>
    </message>
    <message>
        <source>Unknown file format</source>
        <translation>Unbekanntes Dateiformat</translation>
    </message>
    <message>
        <source>Unknown file extension &quot;%1&quot;</source>
        <translation>Unbekannte Dateiendung „%1“</translation>
    </message>
    <message>
        <source>Unexpected end of file</source>
        <translation>Unerwartetes Dateiende</translation>
    </message>
    <message>
        <source>Image too large</source>
        <translation>Bild zu groß</translation>
    </message>
    <message>
        <source>The graphic cannot be saved to a %1 file with the current color resolution (%2).<byte value="xd"/><byte value="xd"/>The graphic will be saved with a different color resolution (%3).</source>
        <translation>Das Bild lässt sich mit seiner aktuellen Farbtiefe (%2) nicht als %1-Datei speichern.<byte value="xd"/><byte value="xd"/>Es wird mit einer anderen Farbtiefe (%3) gespeichert.</translation>
    </message>
    <message>
        <source>The graphic cannot be saved with to a %1 file with the current color resolution (%2)</source>
        <translation>Das Bild lässt sich mit seiner aktuellen Farbtiefe (%2) nicht als %1-Datei speichern</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source> — save the image again as a Windows bitmap or as PNG and open it again</source>
        <translation> — speichern Sie das Bild erneut als Windows-Bitmap oder als PNG und öffnen Sie es wieder</translation>
    </message>
    <message>
        <source> — save the image as an uncompressed bitmap or as PNG and open it again</source>
        <translation> — speichern Sie das Bild als unkomprimierte Bitmap oder als PNG und öffnen Sie es wieder</translation>
    </message>
    <message>
        <source> — save the image with 1, 4, 8, 24 or 32 bits per pixel, or as PNG, and open it again</source>
        <translation> — speichern Sie das Bild mit 1, 4, 8, 24 oder 32 Bit pro Pixel oder als PNG und öffnen Sie es wieder</translation>
    </message>
    <message>
        <source>Invalid image width</source>
        <translation>Ungültige Bildbreite</translation>
    </message>
    <message>
        <source>Invalid image height</source>
        <translation>Ungültige Bildhöhe</translation>
    </message>
    <message>
        <source>Invalid offset of the pixel data</source>
        <translation>Ungültiger Versatz der Pixeldaten</translation>
    </message>
    <message>
        <source>Invalid colour masks</source>
        <translation>Ungültige Farbmasken</translation>
    </message>
    <message>
        <source>Invalid number of palette colours</source>
        <translation>Ungültige Anzahl von Palettenfarben</translation>
    </message>
    <message>
        <source>Invalid run-length data</source>
        <translation>Ungültige Lauflängendaten</translation>
    </message>
    <message>
        <source>Invalid palette index</source>
        <translation>Ungültiger Palettenindex</translation>
    </message>
    <message>
        <source>Too many progressive scans</source>
        <translation>Zu viele progressive Durchläufe</translation>
    </message>
    <message>
        <source>Write error</source>
        <translation>Schreibfehler</translation>
    </message>
    <message>
        <source>Decoding failed</source>
        <translation>Dekodieren fehlgeschlagen</translation>
    </message>
    <message>
        <source>Not a regular file</source>
        <translation>Keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>%1: the file changed while it was read</source>
        <translation>%1: Die Datei wurde geändert, während sie gelesen wurde</translation>
    </message>
    <message>
        <source>IDAT: CRC error</source>
        <translation>IDAT: Prüfsummenfehler</translation>
    </message>
    <message>
        <source>Missing palette</source>
        <translation>Palette fehlt</translation>
    </message>
    <message>
        <source>TIFF (PackBits): Invalid count of bytes in row %1</source>
        <translation>TIFF (PackBits): Ungültige Anzahl von Bytes in Zeile %1</translation>
    </message>
    <message>
        <source>TIFF: Invalid %1</source>
        <translation>TIFF: Ungültiges Feld %1</translation>
    </message>
    <message>
        <source> — save the image uncompressed or as PNG and open it again</source>
        <translation> — speichern Sie das Bild unkomprimiert oder als PNG und öffnen Sie es wieder</translation>
    </message>
    <message>
        <source> — save the image as 8-bit grey or RGB, or as PNG, and open it again</source>
        <translation> — speichern Sie das Bild als 8-Bit-Grau oder RGB oder als PNG und öffnen Sie es wieder</translation>
    </message>
    <message>
        <source>TIFF: Unsupported field Type: %1</source>
        <translation>TIFF: Nicht unterstützter Feldtyp: %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported compression %1</source>
        <translation>TIFF: Nicht unterstützte Kompression %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported %1 Bits/Pixel</source>
        <translation>TIFF: Nicht unterstützt: %1 Bit/Pixel</translation>
    </message>
    <message>
        <source>TIFF: Unsupported SampleFormat %1</source>
        <translation>TIFF: Nicht unterstütztes SampleFormat %1</translation>
    </message>
    <message>
        <source>TIFF: Invalid count of SamplesPerPixel</source>
        <translation>TIFF: Ungültige Anzahl von SamplesPerPixel</translation>
    </message>
    <message>
        <source>TIFF: Unsupported photometric interpretation %1</source>
        <translation>TIFF: Nicht unterstützte photometrische Interpretation %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported Predictor %1</source>
        <translation>TIFF: Nicht unterstützter Predictor %1</translation>
    </message>
    <message>
        <source>TIFF: Unsupported JPEG data (%1 × %2 bits)</source>
        <translation>TIFF: Nicht unterstützte JPEG-Daten (%1 × %2 Bit)</translation>
    </message>
    <message>
        <source>%1 in tile %2</source>
        <translation>%1 in Kachel %2</translation>
    </message>
    <message>
        <source>%1 in strip %2</source>
        <translation>%1 in Streifen %2</translation>
    </message>
    <message>
        <source>TIFF: Tiles cost far more than the image (TileWidth %1, TileLength %2)</source>
        <translation>TIFF: Die Kacheln kosten weit mehr als das Bild (TileWidth %1, TileLength %2)</translation>
    </message>
    <message>
        <source>Not enough data</source>
        <translation>Zu wenig Daten</translation>
    </message>
    <message>
        <source>More data than the image holds</source>
        <translation>Mehr Daten, als das Bild fasst</translation>
    </message>
    <message>
        <source>Invalid data</source>
        <translation>Ungültige Daten</translation>
    </message>
    <message>
        <source>TIFF: Not a TIF file</source>
        <translation>TIFF: Keine TIF-Datei</translation>
    </message>
    <message>
        <source>Grey %1</source>
        <translation>Grau %1</translation>
    </message>
    <message>
        <source>%1 line</source>
        <translation>%1 Linie</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 Linien</translation>
    </message>
    <message>
        <source>The line set ends before its %1 (it holds %2); no line was loaded.</source>
        <translation>Der Liniensatz endet vor seinen %1 (er enthält %2); es wurde keine Linie geladen.</translation>
    </message>
    <message>
        <source>The line set ends before its line count; no line was loaded.</source>
        <translation>Der Liniensatz endet vor seiner Linienanzahl; es wurde keine Linie geladen.</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>Linien</translation>
    </message>
    <message>
        <source>Test length (px)</source>
        <translation>Messlänge (px)</translation>
    </message>
    <message>
        <source>Intercepts</source>
        <translation>Schnittpunkte</translation>
    </message>
    <message>
        <source>Calibrated fields n</source>
        <translation>Kalibrierte Felder n</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Mean ℓ̄ ± 95 % CI</source>
        <translation>Mittel ℓ̄ ± 95-%-Vertrauensbereich</translation>
    </message>
    <message>
        <source>Standard deviation s</source>
        <translation>Standardabweichung s</translation>
    </message>
    <message>
        <source>Relative accuracy</source>
        <translation>Relative Genauigkeit</translation>
    </message>
    <message>
        <source>G of the mean</source>
        <translation>G des Mittels</translation>
    </message>
    <message>
        <source>Fields for 10 % RA (n&apos;)</source>
        <translation>Felder für 10 % RA (n&apos;)</translation>
    </message>
    <message>
        <source>Mean ℓ̄ in pixels</source>
        <translation>Mittel ℓ̄ in Pixeln</translation>
    </message>
    <message>
        <source>The file does not start with the header of a specimen table.</source>
        <translation>Die Datei beginnt nicht mit dem Kopf einer Probentabelle.</translation>
    </message>
    <message>
        <source>Row %1: &quot;%2&quot; in column %3 is not a number.</source>
        <translation>Zeile %1: „%2“ in Spalte %3 ist keine Zahl.</translation>
    </message>
    <message>
        <source>Row %1: column %2 is empty.</source>
        <translation>Zeile %1: Spalte %2 ist leer.</translation>
    </message>
    <message>
        <source>Row %1 has %2 fields instead of %3.</source>
        <translation>Zeile %1 hat %2 Felder statt %3.</translation>
    </message>
    <message>
        <source>Row %1: %2 is not a number of lines.</source>
        <translation>Zeile %1: %2 ist keine Anzahl von Linien.</translation>
    </message>
    <message>
        <source>Row %1: &quot;%2&quot; is not a unit (µm, nm or mm).</source>
        <translation>Zeile %1: „%2“ ist keine Einheit (µm, nm oder mm).</translation>
    </message>
</context>
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation>Aufruf: %1</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[Optionen]</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Optionen:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>Argumente:</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Unbekannte Option »%1«.</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>Unbekannte Optionen: %1.</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Fehlender Wert nach »%1«.</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Unerwarteter Wert nach »%1«.</translation>
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
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>Tesra specimen report</source>
        <translation>Tesra-Probenbericht</translation>
    </message>
    <message>
        <source>Date: %1</source>
        <translation>Datum: %1</translation>
    </message>
    <message>
        <source>Specimen</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>95 % CI = t(0.975, n − 1) · s / √n over the fields&apos; ℓ̄; % RA = 100 · CI / mean; G = −6.643856 · log10(ℓ̄ in mm) − 3.288.</source>
        <translation>95-%-VB = t(0,975; n − 1) · s / √n über die ℓ̄ der Felder; % RA = 100 · VB / Mittelwert; G = −6,643856 · log10(ℓ̄ in mm) − 3,288.</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Field %1: %2</source>
        <translation>Feld %1: %2</translation>
    </message>
    <message>
        <source>The field&apos;s image cannot be shown: %1</source>
        <translation>Das Bild des Feldes kann nicht gezeigt werden: %1</translation>
    </message>
    <message>
        <source>Calibration: %1</source>
        <translation>Kalibrierung: %1</translation>
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
        <translation>Kein Bild</translation>
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
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Cal. length</source>
        <translation>Kal. Länge</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>Mittelwert</translation>
    </message>
</context>
<context>
    <name>tesra::TfHelp</name>
    <message>
        <source>Tesra Help</source>
        <translation>Tesra-Hilfe</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vorwärts</translation>
    </message>
    <message>
        <source>Tesra Help - %1</source>
        <translation>Tesra-Hilfe – %1</translation>
    </message>
    <message>
        <source>The help file &quot;%1&quot; cannot be opened. It belongs in the program&apos;s folder, next to the program itself.</source>
        <translation>Die Hilfedatei „%1“ lässt sich nicht öffnen. Sie gehört in den Ordner des Programms, neben das Programm selbst.</translation>
    </message>
</context>
<context>
    <name>tesra::TfImage</name>
    <message>
        <source>Proposed crossings: %1. Enter accepts them, a click on one rejects it or takes it back, Escape discards them.</source>
        <translation>Vorgeschlagene Korngrenzenschnitte: %1. Eingabe übernimmt sie, ein Klick auf einen lehnt ihn ab oder nimmt ihn wieder auf, Escape verwirft sie.</translation>
    </message>
    <message>
        <source>No crossings found.</source>
        <translation>Keine Korngrenzenschnitte gefunden.</translation>
    </message>
    <message>
        <source>Intercepts added from the proposals: %1.</source>
        <translation>Aus den Vorschlägen hinzugefügte Schnittpunkte: %1.</translation>
    </message>
    <message>
        <source>Proposals discarded.</source>
        <translation>Vorschläge verworfen.</translation>
    </message>
    <message>
        <source>Proposed crossings kept: %1 of %2. Enter accepts them, Escape discards them.</source>
        <translation>Behaltene Vorschläge: %1 von %2. Eingabe übernimmt sie, Escape verwirft sie.</translation>
    </message>
    <message>
        <source>Bild</source>
        <translation>Bild</translation>
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
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Length in pixels</source>
        <translation>Länge in Pixel</translation>
    </message>
    <message>
        <source>Real length</source>
        <translation>Echte Länge</translation>
    </message>
    <message>
        <source>Second phase fraction in %</source>
        <translation>Fremdphasenanteil in %</translation>
    </message>
    <message>
        <source>Conversion factor</source>
        <translation>Umrechnungsfaktor</translation>
    </message>
    <message>
        <source>Remarks</source>
        <translation>Bemerkungen</translation>
    </message>
    <message>
        <source>A named calibration: choose one, or type a name and keep the lengths under it</source>
        <translation>Eine benannte Kalibrierung: eine wählen, oder einen Namen eingeben und die Längen darunter behalten</translation>
    </message>
    <message>
        <source>Keep</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Apply the last calibration to every image opened</source>
        <translation>Letzte Kalibrierung auf jedes geöffnete Bild anwenden</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>Vorgabe</translation>
    </message>
    <message>
        <source>A preset needs a name, a length in pixels and a real length.</source>
        <translation>Eine Vorgabe braucht einen Namen, eine Länge in Pixeln und eine echte Länge.</translation>
    </message>
</context>
<context>
    <name>tesra::TfMain</name>
    <message>
        <source>Add line</source>
        <translation>Linie hinzufügen</translation>
    </message>
    <message>
        <source>Add / Change intersection</source>
        <translation>Schnittpunkt setzen / ändern</translation>
    </message>
    <message>
        <source>Delete intersection</source>
        <translation>Schnittpunkt löschen</translation>
    </message>
    <message>
        <source>Mark second phase</source>
        <translation>Zweite Phase markieren</translation>
    </message>
    <message>
        <source>Image information</source>
        <translation>Bildinformation</translation>
    </message>
    <message>
        <source>Image manipulation</source>
        <translation>Bildbearbeitung</translation>
    </message>
    <message>
        <source>Datei</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Open image</source>
        <translation>Bild öffnen</translation>
    </message>
    <message>
        <source>Save image</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <source>Save photo</source>
        <translation>Foto speichern</translation>
    </message>
    <message>
        <source>Linienset Laden</source>
        <translation>Linienset laden</translation>
    </message>
    <message>
        <source>Linienset Speichern</source>
        <translation>Linienset speichern</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Sheet</source>
        <translation>Tabelle</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>Histogramm</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Fenster</translation>
    </message>
    <message>
        <source>Modus</source>
        <translation>Modus</translation>
    </message>
    <message>
        <source>Calibrate</source>
        <translation>Kalibrieren</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Help (F1)</source>
        <translation>Hilfe (F1)</translation>
    </message>
    <message>
        <source>About Tesra</source>
        <translation>Über Tesra</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <source>Add circle</source>
        <translation>Kreis hinzufügen</translation>
    </message>
    <message>
        <source>Analys</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>Interception lengths</source>
        <translation>Sehnenlängen</translation>
    </message>
    <message>
        <source>Sharpen</source>
        <translation>Schärfen</translation>
    </message>
    <message>
        <source>Bright. / Contrast</source>
        <translation>Helligkeit / Kontrast</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Contour</source>
        <translation>Kontur</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Noch benötigte Anzahl an Intercepts</source>
        <translation>Noch benötigte Anzahl an Schnittpunkten</translation>
    </message>
    <message>
        <source>Intersections:</source>
        <translation>Schnittpunkte:</translation>
    </message>
    <message>
        <source>Cal. grain size:</source>
        <translation>Kal. Korngröße:</translation>
    </message>
    <message>
        <source>Übersicht</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>Unsaved data. Discard?</source>
        <translation>Ungespeicherte Daten. Verwerfen?</translation>
    </message>
    <message>
        <source>Line analysis</source>
        <translation>Linienanalyse</translation>
    </message>
    <message>
        <source>Segment lengths</source>
        <translation>Segmentlängen</translation>
    </message>
    <message>
        <source>Tesra measurement </source>
        <translation>Tesra-Messung </translation>
    </message>
    <message>
        <source>Propose</source>
        <translation>Vorschlagen</translation>
    </message>
    <message>
        <source>Propose the boundary crossings of the selected line, or of all lines</source>
        <translation>Korngrenzenschnitte der gewählten Linie oder aller Linien vorschlagen</translation>
    </message>
    <message>
        <source>Selected line</source>
        <translation>Gewählte Linie</translation>
    </message>
    <message>
        <source>All lines</source>
        <translation>Alle Linien</translation>
    </message>
    <message>
        <source>Bright boundaries</source>
        <translation>Helle Korngrenzen</translation>
    </message>
    <message>
        <source>Sensitivity</source>
        <translation>Empfindlichkeit</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Minimum spacing</source>
        <translation>Mindestabstand</translation>
    </message>
    <message>
        <source>%1 px</source>
        <translation>%1 px</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>%1 gespeichert</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Fit to window</source>
        <translation>An Fenster anpassen</translation>
    </message>
    <message>
        <source>Reset layout</source>
        <translation>Anordnung zurücksetzen</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Undo %1</source>
        <translation>%1 rückgängig</translation>
    </message>
    <message>
        <source>Redo %1</source>
        <translation>%1 wiederholen</translation>
    </message>
    <message>
        <source>Draw a scale bar (calibrated images)</source>
        <translation>Maßstabsbalken einzeichnen (kalibrierte Bilder)</translation>
    </message>
    <message>
        <source>Specimen</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>Grain size number of the calibrated mean lineal intercept</source>
        <translation>Korngrößenkennzahl des kalibrierten mittleren Linienabschnitts</translation>
    </message>
    <message>
        <source>Three circles, diameters 3 : 2 : 1</source>
        <translation>Drei Kreise, Durchmesser 3 : 2 : 1</translation>
    </message>
    <message>
        <source>Four lines through the centre (0°, 45°, 90°, 135°)</source>
        <translation>Vier Linien durch die Mitte (0°, 45°, 90°, 135°)</translation>
    </message>
    <message>
        <source>N parallel lines</source>
        <translation>N parallele Linien</translation>
    </message>
    <message>
        <source>Grid of N × M lines</source>
        <translation>Gitter aus N × M Linien</translation>
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
        <translation>Muster</translation>
    </message>
    <message>
        <source>Lay a standard pattern of test lines</source>
        <translation>Ein Standardmuster von Testlinien legen</translation>
    </message>
    <message>
        <source>The image is too small for this pattern.</source>
        <translation>Das Bild ist für dieses Muster zu klein.</translation>
    </message>
    <message>
        <source>The pattern needs %1 lines; the measurement has room for %2 more.</source>
        <translation>Das Muster braucht %1 Linien; die Messung hat nur noch Platz für %2.</translation>
    </message>
</context>
<context>
    <name>tesra::TfProbe</name>
    <message>
        <source>Specimen</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>Add the field on every save</source>
        <translation>Feld bei jedem Speichern hinzufügen</translation>
    </message>
    <message>
        <source>Add field</source>
        <translation>Feld hinzufügen</translation>
    </message>
    <message>
        <source>Remove field</source>
        <translation>Feld entfernen</translation>
    </message>
    <message>
        <source>Open specimen…</source>
        <translation>Probe öffnen…</translation>
    </message>
    <message>
        <source>Save specimen as…</source>
        <translation>Probe speichern unter…</translation>
    </message>
    <message>
        <source>PDF report…</source>
        <translation>PDF-Bericht…</translation>
    </message>
    <message>
        <source>the file cannot be read.</source>
        <translation>die Datei kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Open specimen</source>
        <translation>Probe öffnen</translation>
    </message>
    <message>
        <source>Save specimen as</source>
        <translation>Probe speichern unter</translation>
    </message>
    <message>
        <source>PDF report</source>
        <translation>PDF-Bericht</translation>
    </message>
    <message>
        <source>Not kept in a file yet (Save specimen as…)</source>
        <translation>Noch in keiner Datei gespeichert (Probe speichern unter…)</translation>
    </message>
    <message>
        <source>Kept in %1</source>
        <translation>Gespeichert in %1</translation>
    </message>
</context>
<context>
    <name>tesra::TfTabelle</name>
    <message>
        <source>Sheet</source>
        <translation>Tabelle</translation>
    </message>
    <message>
        <source>Meßwerte</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Sheet as CSV</source>
        <translation>Tabelle als CSV</translation>
    </message>
    <message>
        <source>Intercepts as CSV</source>
        <translation>Schnittpunkte als CSV</translation>
    </message>
</context>
</TS>
