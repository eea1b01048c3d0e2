<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="it_IT" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
    <message>
        <source>Put each kind of file in a folder of its own (jpg, png, …)</source>
        <translation>Mettere ogni tipo di file in una cartella a sé (jpg, png, …)</translation>
    </message>
    <message>
        <source>Write each audio track of a disc as a WAV file</source>
        <translation>Scrivere ogni traccia audio di un disco come file WAV</translation>
    </message>
    <message>
        <source>Read a drive&apos;s audio with error correction (slow on a scratched disc)</source>
        <translation>Leggere l&apos;audio di un&apos;unità con correzione degli errori (lento su un disco graffiato)</translation>
    </message>
    <message>
        <source>Drive read speed:</source>
        <translation>Velocità di lettura dell&apos;unità:</translation>
    </message>
    <message>
        <source>the drive&apos;s own choice</source>
        <translation>a scelta dell&apos;unità</translation>
    </message>
    <message>
        <source>all kinds (or e.g. jpeg,png)</source>
        <translation>tutti i tipi (o ad es. jpeg,png)</translation>
    </message>
    <message>
        <source>any size (or e.g. 64k)</source>
        <translation>qualsiasi dimensione (o ad es. 64k)</translation>
    </message>
    <message>
        <source>any size (or e.g. 640x480)</source>
        <translation>qualsiasi dimensione (o ad es. 640x480)</translation>
    </message>
    <message>
        <source>Kinds of files to write:</source>
        <translation>Tipi di file da scrivere:</translation>
    </message>
    <message>
        <source>Smallest file to write:</source>
        <translation>File più piccolo da scrivere:</translation>
    </message>
    <message>
        <source>Smallest picture to write:</source>
        <translation>Immagine più piccola da scrivere:</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a kind of file Orlenta recovers.</source>
        <translation>«%1» non è un tipo di file che Orlenta recupera.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a number of bytes, such as 64k.</source>
        <translation>«%1» non è un numero di byte, come 64k.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a width and height, such as 640x480.</source>
        <translation>«%1» non è una larghezza e un’altezza, come 640x480.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salva</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Orlenta settings</source>
        <translation>Impostazioni di Orlenta</translation>
    </message>
    <message>
        <source>Open the output folder when a recovery ends</source>
        <translation>Apri la cartella di destinazione al termine di un recupero</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Sfoglia…</translation>
    </message>
    <message>
        <source>Name stem (e.g. 1REC.jpg):</source>
        <translation>Radice dei nomi (es. 1REC.jpg):</translation>
    </message>
    <message>
        <source>Output folder:</source>
        <translation>Cartella di destinazione:</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Lingua:</translation>
    </message>
    <message>
        <source>Recovery:</source>
        <translation>Recupero:</translation>
    </message>
    <message>
        <source>as described</source>
        <translation>come descritto</translation>
    </message>
    <message>
        <source>exact files and more kinds</source>
        <translation>file esatti e più tipi</translation>
    </message>
    <message>
        <source>Files back under their own names where the disc&apos;s folders can be read</source>
        <translation>File restituiti con il proprio nome dove le cartelle del disco si leggono</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Unità</translation>
    </message>
    <message>
        <source>Settings file: %1</source>
        <translation>File delle impostazioni: %1</translation>
    </message>
    <message>
        <source>Could not read %1.</source>
        <translation>Impossibile leggere %1.</translation>
    </message>
    <message>
        <source>Could not write %1; it is left as it was.</source>
        <translation>Impossibile scrivere %1; è rimasto com&apos;era.</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Cartella di destinazione</translation>
    </message>
</context>
<context>
    <name>orlenta::DriveMapEditor</name>
    <message>
        <source>Letter</source>
        <translation>Lettera</translation>
    </message>
    <message>
        <source>Disc image or device</source>
        <translation>Immagine disco o dispositivo</translation>
    </message>
    <message>
        <source>/dev/sr0 or a disc image file</source>
        <translation>/dev/sr0 o un file immagine disco</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Sfoglia…</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Imposta</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Rimuovi</translation>
    </message>
    <message>
        <source>Optical drives the system reports take the first free letters from D on.</source>
        <translation>Le unità ottiche segnalate dal sistema prendono le prime lettere libere a partire da D.</translation>
    </message>
    <message>
        <source>Disc images (*.iso *.img *.bin *.raw)</source>
        <translation>Immagini disco (*.iso *.img *.bin *.raw)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tutti i file (*)</translation>
    </message>
    <message>
        <source>%1 (in use)</source>
        <translation>%1 (in uso)</translation>
    </message>
</context>
<context>
    <name>orlenta::ValueChecks</name>
    <message>
        <source>The name stem &quot;%1&quot; is too long: stored, it takes %2 bytes, at most 3 (a letter such as é takes 2).</source>
        <translation>La radice dei nomi «%1» è troppo lunga: salvata occupa %2 byte, al massimo 3 (una lettera come è ne occupa 2).</translation>
    </message>
    <message>
        <source>The name stem cannot hold &apos;/&apos;.</source>
        <translation>La radice dei nomi non può contenere «/».</translation>
    </message>
    <message>
        <source>The name stem cannot hold control characters.</source>
        <translation>La radice dei nomi non può contenere caratteri di controllo.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; is not an absolute path.</source>
        <translation>La cartella di destinazione «%1» non è un percorso assoluto.</translation>
    </message>
    <message>
        <source>The output folder path is too long: at most 199 bytes with its trailing &apos;/&apos;.</source>
        <translation>Il percorso della cartella di destinazione è troppo lungo: al massimo 199 byte con la «/» finale.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; does not exist or is not a folder.</source>
        <translation>La cartella di destinazione «%1» non esiste o non è una cartella.</translation>
    </message>
    <message>
        <source>The language must be 1 to 6.</source>
        <translation>La lingua deve essere da 1 a 6.</translation>
    </message>
    <message>
        <source>The drive letter &quot;%1&quot; is not one of B to M.</source>
        <translation>La lettera di unità «%1» non è tra B e M.</translation>
    </message>
    <message>
        <source>No path given for the drive.</source>
        <translation>Nessun percorso indicato per l&apos;unità.</translation>
    </message>
    <message>
        <source>A drive path cannot hold a line break.</source>
        <translation>Il percorso di un&apos;unità non può contenere un a capo.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; does not exist.</source>
        <translation>Il percorso dell&apos;unità «%1» non esiste.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; is neither an image file nor a block device.</source>
        <translation>Il percorso dell&apos;unità «%1» non è né un file immagine né un dispositivo a blocchi.</translation>
    </message>
</context>
</TS>
