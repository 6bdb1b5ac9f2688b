<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ExtensionPopup</name>
    <message>
        <source>JPEG image</source>
        <translation>JPEG-Bild</translation>
    </message>
    <message>
        <source>PNG image</source>
        <translation>PNG-Bild</translation>
    </message>
    <message>
        <source>WebP image</source>
        <translation>WebP-Bild</translation>
    </message>
    <message>
        <source>TIFF image</source>
        <translation>TIFF-Bild</translation>
    </message>
    <message>
        <source>GIF image</source>
        <translation>GIF-Bild</translation>
    </message>
    <message>
        <source>HEIF image</source>
        <translation>HEIF-Bild</translation>
    </message>
    <message>
        <source>AVIF image</source>
        <translation>AVIF-Bild</translation>
    </message>
    <message>
        <source>JPEG XL image</source>
        <translation>JPEG-XL-Bild</translation>
    </message>
    <message>
        <source>JPEG 2000 image</source>
        <translation>JPEG-2000-Bild</translation>
    </message>
    <message>
        <source>Portable pixmap</source>
        <translation>Portable Pixmap</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>Ziehen Sie Dateien oder Ordner auf das Programm oder auf dieses Fenster, um die Dateien bzw. den Inhalt der Ordner umzuwandeln.</translation>
    </message>
    <message>
        <source>&amp;Convert…</source>
        <translation>&amp;Umwandeln…</translation>
    </message>
    <message>
        <source>&amp;Edit…</source>
        <translation>&amp;Bearbeiten…</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>Drop area</source>
        <translation>Ablagebereich</translation>
    </message>
    <message>
        <source>Drop files or folders here to convert them.</source>
        <translation>Dateien oder Ordner hier ablegen, um sie umzuwandeln.</translation>
    </message>
</context>
<context>
    <name>MenuBar</name>
    <message>
        <source>&amp;Convert…</source>
        <translation>&amp;Umwandeln…</translation>
    </message>
    <message>
        <source>&amp;Preferences…</source>
        <translation>&amp;Einstellungen…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
<context>
    <name>NavDialog</name>
    <message>
        <source>Choose the pictures to convert.</source>
        <translation>Wählen Sie die Bilder, die umgewandelt werden sollen.</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the transformed pictures.</source>
        <translation>Wählen Sie einen Ordner als Ziel für die umgewandelten Bilder.</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the copy.</source>
        <translation>Wählen Sie einen Ordner als Ziel für die Kopien.</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tessaly Preferences</source>
        <translation>Tessaly-Einstellungen</translation>
    </message>
    <message>
        <source>Con&amp;vert to:</source>
        <translation>&amp;Umwandeln in:</translation>
    </message>
    <message>
        <source>&amp;Quit when done</source>
        <translation>Nach Abschluss &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Copy to folder:</source>
        <translation>In Ordner &amp;kopieren:</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>Aus&amp;wählen…</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>%1 is a Qt plug-in, but not a preference pane: its interface is &quot;%2&quot; where &quot;%3&quot; was expected.</source>
        <translation>%1 ist ein Qt-Plug-in, aber kein Einstellungsbereich: Seine Schnittstelle ist „%2“, erwartet wurde „%3“.</translation>
    </message>
    <message>
        <source>%1 does not provide the preference pane interface.</source>
        <translation>%1 bietet die Schnittstelle eines Einstellungsbereichs nicht an.</translation>
    </message>
    <message>
        <source>The pane &quot;%1&quot; could not make its view.</source>
        <translation>Der Bereich „%1“ konnte seine Ansicht nicht erstellen.</translation>
    </message>
    <message>
        <source>Q&amp;uality:</source>
        <translation>&amp;Qualität:</translation>
    </message>
    <message>
        <source>&amp;Leave out where photos were taken</source>
        <translation>Aufnahmeort von &amp;Fotos weglassen</translation>
    </message>
</context>
<context>
    <name>QualityPopup</name>
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
        <source>Best</source>
        <translation>Beste</translation>
    </message>
    <message>
        <source>Lossless</source>
        <translation>Verlustfrei</translation>
    </message>
</context>
<context>
    <name>StatusDisplay</name>
    <message>
        <source>File: %1</source>
        <translation>Datei: %1</translation>
    </message>
    <message>
        <source>(%1 of %2)</source>
        <translation>(%1 von %2)</translation>
    </message>
    <message>
        <source>Bye.</source>
        <translation>Tschüss.</translation>
    </message>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>Ziehen Sie Dateien oder Ordner auf das Programm oder auf dieses Fenster, um die Dateien bzw. den Inhalt der Ordner umzuwandeln.</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPane</name>
    <message>
        <source>Array Sizes</source>
        <translation>Größenliste</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPaneView</name>
    <message>
        <source>Sizes</source>
        <translation>Größen</translation>
    </message>
    <message>
        <source>Picture sizes, in the order they are offered. Drag rows to reorder them; double-click a number to change it.</source>
        <translation>Bildgrößen in der Reihenfolge, in der sie angeboten werden. Ziehen Sie Zeilen, um sie neu anzuordnen; doppelklicken Sie auf eine Zahl, um sie zu ändern.</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Opens Tessaly&apos;s web page</source>
        <translation>Öffnet die Webseite von Tessaly</translation>
    </message>
</context>
</TS>
