<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="ro_RO" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
    <message>
        <source>Put each kind of file in a folder of its own (jpg, png, …)</source>
        <translation>Pune fiecare tip de fișier într-un dosar propriu (jpg, png, …)</translation>
    </message>
    <message>
        <source>Write each audio track of a disc as a WAV file</source>
        <translation>Scrie fiecare pistă audio a unui disc ca fișier WAV</translation>
    </message>
    <message>
        <source>Read a drive&apos;s audio with error correction (slow on a scratched disc)</source>
        <translation>Citește sunetul unei unități cu corectarea erorilor (lent pe un disc zgâriat)</translation>
    </message>
    <message>
        <source>Drive read speed:</source>
        <translation>Viteza de citire a unității:</translation>
    </message>
    <message>
        <source>the drive&apos;s own choice</source>
        <translation>alegerea unității</translation>
    </message>
    <message>
        <source>all kinds (or e.g. jpeg,png)</source>
        <translation>toate tipurile (sau de ex. jpeg,png)</translation>
    </message>
    <message>
        <source>any size (or e.g. 64k)</source>
        <translation>orice mărime (sau de ex. 64k)</translation>
    </message>
    <message>
        <source>any size (or e.g. 640x480)</source>
        <translation>orice mărime (sau de ex. 640x480)</translation>
    </message>
    <message>
        <source>Kinds of files to write:</source>
        <translation>Tipuri de fișiere de scris:</translation>
    </message>
    <message>
        <source>Smallest file to write:</source>
        <translation>Cel mai mic fișier de scris:</translation>
    </message>
    <message>
        <source>Smallest picture to write:</source>
        <translation>Cea mai mică imagine de scris:</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a kind of file Orlenta recovers.</source>
        <translation>„%1” nu este un tip de fișier pe care Orlenta îl recuperează.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a number of bytes, such as 64k.</source>
        <translation>„%1” nu este un număr de octeți, ca 64k.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a width and height, such as 640x480.</source>
        <translation>„%1” nu este o lățime și o înălțime, ca 640x480.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salvează</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anulează</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
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
        <source>Files back under their own names where the disc&apos;s folders can be read</source>
        <translation>Fișiere înapoi cu numele lor, unde folderele discului se pot citi</translation>
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
<context>
    <name>orlenta::ValueChecks</name>
    <message>
        <source>The name stem &quot;%1&quot; is too long: stored, it takes %2 bytes, at most 3 (a letter such as é takes 2).</source>
        <translation>Rădăcina numelor „%1” este prea lungă: salvată ocupă %2 octeți, cel mult 3 (o literă ca ă ocupă 2).</translation>
    </message>
    <message>
        <source>The name stem cannot hold &apos;/&apos;.</source>
        <translation>Rădăcina numelor nu poate conține „/”.</translation>
    </message>
    <message>
        <source>The name stem cannot hold control characters.</source>
        <translation>Rădăcina numelor nu poate conține caractere de control.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; is not an absolute path.</source>
        <translation>Dosarul de ieșire „%1” nu este o cale absolută.</translation>
    </message>
    <message>
        <source>The output folder path is too long: at most 199 bytes with its trailing &apos;/&apos;.</source>
        <translation>Calea dosarului de ieșire este prea lungă: cel mult 199 octeți cu „/” de la final.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; does not exist or is not a folder.</source>
        <translation>Dosarul de ieșire „%1” nu există sau nu este un dosar.</translation>
    </message>
    <message>
        <source>The language must be 1 to 6.</source>
        <translation>Limba trebuie să fie între 1 și 6.</translation>
    </message>
    <message>
        <source>The drive letter &quot;%1&quot; is not one of B to M.</source>
        <translation>Litera de unitate „%1” nu este între B și M.</translation>
    </message>
    <message>
        <source>No path given for the drive.</source>
        <translation>Nu s-a dat nicio cale pentru unitate.</translation>
    </message>
    <message>
        <source>A drive path cannot hold a line break.</source>
        <translation>Calea unei unități nu poate conține un sfârșit de rând.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; does not exist.</source>
        <translation>Calea unității „%1” nu există.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; is neither an image file nor a block device.</source>
        <translation>Calea unității „%1” nu este nici fișier imagine, nici dispozitiv bloc.</translation>
    </message>
</context>
</TS>
