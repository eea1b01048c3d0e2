<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="ro_RO" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
    <message>
        <source>Orlenta settings</source>
        <translation>Setările Orlenta</translation>
    </message>
    <message>
        <source>Open the output folder when a recovery ends</source>
        <translation>Deschide dosarul de ieșire la sfârșitul unei recuperări</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Răsfoiește…</translation>
    </message>
    <message>
        <source>Name stem (e.g. 1REC.jpg):</source>
        <translation>Rădăcina numelor (de ex. 1REC.jpg):</translation>
    </message>
    <message>
        <source>Output folder:</source>
        <translation>Dosarul de ieșire:</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Limba:</translation>
    </message>
    <message>
        <source>Recovery:</source>
        <translation>Recuperare:</translation>
    </message>
    <message>
        <source>as described</source>
        <translation>așa cum este descris</translation>
    </message>
    <message>
        <source>exact files and more kinds</source>
        <translation>fișiere exacte și mai multe tipuri</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Unități</translation>
    </message>
    <message>
        <source>Settings file: %1</source>
        <translation>Fișierul de setări: %1</translation>
    </message>
    <message>
        <source>Could not read %1.</source>
        <translation>%1 nu a putut fi citit.</translation>
    </message>
    <message>
        <source>Could not write %1; it is left as it was.</source>
        <translation>%1 nu a putut fi scris; a rămas cum era.</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Dosarul de ieșire</translation>
    </message>
</context>
<context>
    <name>orlenta::DriveMapEditor</name>
    <message>
        <source>Letter</source>
        <translation>Literă</translation>
    </message>
    <message>
        <source>Disc image or device</source>
        <translation>Imagine de disc sau dispozitiv</translation>
    </message>
    <message>
        <source>/dev/sr0 or a disc image file</source>
        <translation>/dev/sr0 sau un fișier imagine de disc</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Răsfoiește…</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Atribuie</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Elimină</translation>
    </message>
    <message>
        <source>Optical drives the system reports take the first free letters from D on.</source>
        <translation>Unitățile optice raportate de sistem primesc primele litere libere începând cu D.</translation>
    </message>
    <message>
        <source>Disc images (*.iso *.img *.bin *.raw)</source>
        <translation>Imagini de disc (*.iso *.img *.bin *.raw)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Toate fișierele (*)</translation>
    </message>
    <message>
        <source>%1 (in use)</source>
        <translation>%1 (folosită)</translation>
    </message>
</context>
</TS>
