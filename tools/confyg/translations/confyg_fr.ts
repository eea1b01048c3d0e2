<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
    <message>
        <source>Orlenta settings</source>
        <translation>Réglages d'Orlenta</translation>
    </message>
    <message>
        <source>Open the output folder when a recovery ends</source>
        <translation>Ouvrir le dossier de sortie à la fin d'une récupération</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Parcourir…</translation>
    </message>
    <message>
        <source>Name stem (e.g. 1REC.jpg):</source>
        <translation>Radical des noms (p. ex. 1REC.jpg) :</translation>
    </message>
    <message>
        <source>Output folder:</source>
        <translation>Dossier de sortie :</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Langue :</translation>
    </message>
    <message>
        <source>Recovery:</source>
        <translation>Récupération :</translation>
    </message>
    <message>
        <source>as described</source>
        <translation>comme décrit</translation>
    </message>
    <message>
        <source>exact files and more kinds</source>
        <translation>fichiers exacts et plus de types</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Lecteurs</translation>
    </message>
    <message>
        <source>Settings file: %1</source>
        <translation>Fichier des réglages : %1</translation>
    </message>
    <message>
        <source>Could not read %1.</source>
        <translation>Impossible de lire %1.</translation>
    </message>
    <message>
        <source>Could not write %1; it is left as it was.</source>
        <translation>Impossible d'écrire %1 ; il reste tel qu'il était.</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Dossier de sortie</translation>
    </message>
</context>
<context>
    <name>orlenta::DriveMapEditor</name>
    <message>
        <source>Letter</source>
        <translation>Lettre</translation>
    </message>
    <message>
        <source>Disc image or device</source>
        <translation>Image de disque ou périphérique</translation>
    </message>
    <message>
        <source>/dev/sr0 or a disc image file</source>
        <translation>/dev/sr0 ou un fichier image de disque</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Parcourir…</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Définir</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Optical drives the system reports take the first free letters from D on.</source>
        <translation>Les lecteurs optiques signalés par le système prennent les premières lettres libres à partir de D.</translation>
    </message>
    <message>
        <source>Disc images (*.iso *.img *.bin *.raw)</source>
        <translation>Images de disque (*.iso *.img *.bin *.raw)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>%1 (in use)</source>
        <translation>%1 (utilisée)</translation>
    </message>
</context>
</TS>
