<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
    <message>
        <source>Put each kind of file in a folder of its own (jpg, png, …)</source>
        <translation>Mettre chaque type de fichier dans un dossier à lui (jpg, png, …)</translation>
    </message>
    <message>
        <source>Write each audio track of a disc as a WAV file</source>
        <translation>Écrire chaque piste audio d&apos;un disque en fichier WAV</translation>
    </message>
    <message>
        <source>Read a drive&apos;s audio with error correction (slow on a scratched disc)</source>
        <translation>Lire l&apos;audio d&apos;un lecteur avec correction d&apos;erreurs (lent sur un disque rayé)</translation>
    </message>
    <message>
        <source>Drive read speed:</source>
        <translation>Vitesse de lecture du lecteur :</translation>
    </message>
    <message>
        <source>the drive&apos;s own choice</source>
        <translation>au choix du lecteur</translation>
    </message>
    <message>
        <source>all kinds (or e.g. jpeg,png)</source>
        <translation>tous les types (ou p. ex. jpeg,png)</translation>
    </message>
    <message>
        <source>any size (or e.g. 64k)</source>
        <translation>toute taille (ou p. ex. 64k)</translation>
    </message>
    <message>
        <source>any size (or e.g. 640x480)</source>
        <translation>toute taille (ou p. ex. 640x480)</translation>
    </message>
    <message>
        <source>Kinds of files to write:</source>
        <translation>Types de fichiers à écrire :</translation>
    </message>
    <message>
        <source>Smallest file to write:</source>
        <translation>Plus petit fichier à écrire :</translation>
    </message>
    <message>
        <source>Smallest picture to write:</source>
        <translation>Plus petite image à écrire :</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a kind of file Orlenta recovers.</source>
        <translation>« %1 » n’est pas un type de fichier qu’Orlenta récupère.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a number of bytes, such as 64k.</source>
        <translation>« %1 » n’est pas un nombre d’octets, comme 64k.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a width and height, such as 640x480.</source>
        <translation>« %1 » n’est pas une largeur et une hauteur, comme 640x480.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Orlenta settings</source>
        <translation>Réglages d&apos;Orlenta</translation>
    </message>
    <message>
        <source>Open the output folder when a recovery ends</source>
        <translation>Ouvrir le dossier de sortie à la fin d&apos;une récupération</translation>
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
        <source>Files back under their own names where the disc&apos;s folders can be read</source>
        <translation>Fichiers rendus sous leur propre nom là où les dossiers du disque se lisent</translation>
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
        <translation>Impossible d&apos;écrire %1 ; il reste tel qu&apos;il était.</translation>
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
<context>
    <name>orlenta::ValueChecks</name>
    <message>
        <source>The name stem &quot;%1&quot; is too long: stored, it takes %2 bytes, at most 3 (a letter such as é takes 2).</source>
        <translation>Le radical des noms « %1 » est trop long : enregistré, il occupe %2 octets, 3 au plus (une lettre comme é en occupe 2).</translation>
    </message>
    <message>
        <source>The name stem cannot hold &apos;/&apos;.</source>
        <translation>Le radical des noms ne peut pas contenir « / ».</translation>
    </message>
    <message>
        <source>The name stem cannot hold control characters.</source>
        <translation>Le radical des noms ne peut pas contenir de caractères de contrôle.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; is not an absolute path.</source>
        <translation>Le dossier de sortie « %1 » n&apos;est pas un chemin absolu.</translation>
    </message>
    <message>
        <source>The output folder path is too long: at most 199 bytes with its trailing &apos;/&apos;.</source>
        <translation>Le chemin du dossier de sortie est trop long : 199 octets au plus avec le « / » final.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; does not exist or is not a folder.</source>
        <translation>Le dossier de sortie « %1 » n&apos;existe pas ou n&apos;est pas un dossier.</translation>
    </message>
    <message>
        <source>The language must be 1 to 6.</source>
        <translation>La langue doit être de 1 à 6.</translation>
    </message>
    <message>
        <source>The drive letter &quot;%1&quot; is not one of B to M.</source>
        <translation>La lettre de lecteur « %1 » n&apos;est pas entre B et M.</translation>
    </message>
    <message>
        <source>No path given for the drive.</source>
        <translation>Aucun chemin indiqué pour le lecteur.</translation>
    </message>
    <message>
        <source>A drive path cannot hold a line break.</source>
        <translation>Le chemin d&apos;un lecteur ne peut pas contenir de saut de ligne.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; does not exist.</source>
        <translation>Le chemin de lecteur « %1 » n&apos;existe pas.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; is neither an image file nor a block device.</source>
        <translation>Le chemin de lecteur « %1 » n&apos;est ni un fichier image ni un périphérique bloc.</translation>
    </message>
</context>
</TS>
