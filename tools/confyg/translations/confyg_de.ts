<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
    <message>
        <source>Put each kind of file in a folder of its own (jpg, png, …)</source>
        <translation>Jede Dateiart in einen eigenen Ordner legen (jpg, png, …)</translation>
    </message>
    <message>
        <source>Write each audio track of a disc as a WAV file</source>
        <translation>Jede Audiospur einer CD als WAV-Datei schreiben</translation>
    </message>
    <message>
        <source>Read a drive&apos;s audio with error correction (slow on a scratched disc)</source>
        <translation>Audio eines Laufwerks mit Fehlerkorrektur lesen (langsam bei zerkratzter CD)</translation>
    </message>
    <message>
        <source>Drive read speed:</source>
        <translation>Lesegeschwindigkeit des Laufwerks:</translation>
    </message>
    <message>
        <source>the drive&apos;s own choice</source>
        <translation>nach Wahl des Laufwerks</translation>
    </message>
    <message>
        <source>all kinds (or e.g. jpeg,png)</source>
        <translation>alle Arten (oder z. B. jpeg,png)</translation>
    </message>
    <message>
        <source>any size (or e.g. 64k)</source>
        <translation>jede Größe (oder z. B. 64k)</translation>
    </message>
    <message>
        <source>any size (or e.g. 640x480)</source>
        <translation>jede Größe (oder z. B. 640x480)</translation>
    </message>
    <message>
        <source>Kinds of files to write:</source>
        <translation>Zu schreibende Dateiarten:</translation>
    </message>
    <message>
        <source>Smallest file to write:</source>
        <translation>Kleinste zu schreibende Datei:</translation>
    </message>
    <message>
        <source>Smallest picture to write:</source>
        <translation>Kleinstes zu schreibendes Bild:</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a kind of file Orlenta recovers.</source>
        <translation>„%1“ ist keine Dateiart, die Orlenta wiederherstellt.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a number of bytes, such as 64k.</source>
        <translation>„%1“ ist keine Anzahl Bytes wie 64k.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a width and height, such as 640x480.</source>
        <translation>„%1“ ist keine Breite und Höhe wie 640x480.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Orlenta settings</source>
        <translation>Orlenta-Einstellungen</translation>
    </message>
    <message>
        <source>Open the output folder when a recovery ends</source>
        <translation>Ausgabeordner nach einer Wiederherstellung öffnen</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Durchsuchen…</translation>
    </message>
    <message>
        <source>Name stem (e.g. 1REC.jpg):</source>
        <translation>Namensstamm (z. B. 1REC.jpg):</translation>
    </message>
    <message>
        <source>Output folder:</source>
        <translation>Ausgabeordner:</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Sprache:</translation>
    </message>
    <message>
        <source>Recovery:</source>
        <translation>Wiederherstellung:</translation>
    </message>
    <message>
        <source>as described</source>
        <translation>wie beschrieben</translation>
    </message>
    <message>
        <source>exact files and more kinds</source>
        <translation>genaue Dateien und mehr Arten</translation>
    </message>
    <message>
        <source>Files back under their own names where the disc&apos;s folders can be read</source>
        <translation>Dateien unter ihrem eigenen Namen zurück, wo die Ordner der Disc lesbar sind</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Laufwerke</translation>
    </message>
    <message>
        <source>Settings file: %1</source>
        <translation>Einstellungsdatei: %1</translation>
    </message>
    <message>
        <source>Could not read %1.</source>
        <translation>%1 konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Could not write %1; it is left as it was.</source>
        <translation>%1 konnte nicht geschrieben werden; die Datei bleibt unverändert.</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
</context>
<context>
    <name>orlenta::DriveMapEditor</name>
    <message>
        <source>Letter</source>
        <translation>Buchstabe</translation>
    </message>
    <message>
        <source>Disc image or device</source>
        <translation>Abbilddatei oder Gerät</translation>
    </message>
    <message>
        <source>/dev/sr0 or a disc image file</source>
        <translation>/dev/sr0 oder eine Abbilddatei</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Durchsuchen…</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Festlegen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Optical drives the system reports take the first free letters from D on.</source>
        <translation>Vom System gemeldete optische Laufwerke erhalten die ersten freien Buchstaben ab D.</translation>
    </message>
    <message>
        <source>Disc images (*.iso *.img *.bin *.raw)</source>
        <translation>Abbilddateien (*.iso *.img *.bin *.raw)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>%1 (in use)</source>
        <translation>%1 (belegt)</translation>
    </message>
</context>
<context>
    <name>orlenta::ValueChecks</name>
    <message>
        <source>The name stem &quot;%1&quot; is too long: stored, it takes %2 bytes, at most 3 (a letter such as é takes 2).</source>
        <translation>Der Namensstamm „%1“ ist zu lang: gespeichert belegt er %2 Bytes, höchstens 3 (ein Buchstabe wie ä belegt 2).</translation>
    </message>
    <message>
        <source>The name stem cannot hold &apos;/&apos;.</source>
        <translation>Der Namensstamm darf kein „/“ enthalten.</translation>
    </message>
    <message>
        <source>The name stem cannot hold control characters.</source>
        <translation>Der Namensstamm darf keine Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; is not an absolute path.</source>
        <translation>Der Ausgabeordner „%1“ ist kein absoluter Pfad.</translation>
    </message>
    <message>
        <source>The output folder path is too long: at most 199 bytes with its trailing &apos;/&apos;.</source>
        <translation>Der Pfad des Ausgabeordners ist zu lang: höchstens 199 Bytes mit dem abschließenden „/“.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; does not exist or is not a folder.</source>
        <translation>Der Ausgabeordner „%1“ existiert nicht oder ist kein Ordner.</translation>
    </message>
    <message>
        <source>The language must be 1 to 6.</source>
        <translation>Die Sprache muss 1 bis 6 sein.</translation>
    </message>
    <message>
        <source>The drive letter &quot;%1&quot; is not one of B to M.</source>
        <translation>Der Laufwerksbuchstabe „%1“ liegt nicht zwischen B und M.</translation>
    </message>
    <message>
        <source>No path given for the drive.</source>
        <translation>Für das Laufwerk ist kein Pfad angegeben.</translation>
    </message>
    <message>
        <source>A drive path cannot hold a line break.</source>
        <translation>Ein Laufwerkspfad darf keinen Zeilenumbruch enthalten.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; does not exist.</source>
        <translation>Der Laufwerkspfad „%1“ existiert nicht.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; is neither an image file nor a block device.</source>
        <translation>Der Laufwerkspfad „%1“ ist weder eine Abbilddatei noch ein Blockgerät.</translation>
    </message>
</context>
</TS>
