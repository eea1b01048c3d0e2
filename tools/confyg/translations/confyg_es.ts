<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="es_ES" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
    <message>
        <source>Put each kind of file in a folder of its own (jpg, png, …)</source>
        <translation>Poner cada tipo de archivo en una carpeta propia (jpg, png, …)</translation>
    </message>
    <message>
        <source>Write each audio track of a disc as a WAV file</source>
        <translation>Escribir cada pista de audio de un disco como archivo WAV</translation>
    </message>
    <message>
        <source>Read a drive&apos;s audio with error correction (slow on a scratched disc)</source>
        <translation>Leer el audio de una unidad con corrección de errores (lento en un disco rayado)</translation>
    </message>
    <message>
        <source>Drive read speed:</source>
        <translation>Velocidad de lectura de la unidad:</translation>
    </message>
    <message>
        <source>the drive&apos;s own choice</source>
        <translation>la que elija la unidad</translation>
    </message>
    <message>
        <source>all kinds (or e.g. jpeg,png)</source>
        <translation>todos los tipos (o p. ej. jpeg,png)</translation>
    </message>
    <message>
        <source>any size (or e.g. 64k)</source>
        <translation>cualquier tamaño (o p. ej. 64k)</translation>
    </message>
    <message>
        <source>any size (or e.g. 640x480)</source>
        <translation>cualquier tamaño (o p. ej. 640x480)</translation>
    </message>
    <message>
        <source>Kinds of files to write:</source>
        <translation>Tipos de archivo a escribir:</translation>
    </message>
    <message>
        <source>Smallest file to write:</source>
        <translation>Archivo más pequeño a escribir:</translation>
    </message>
    <message>
        <source>Smallest picture to write:</source>
        <translation>Imagen más pequeña a escribir:</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a kind of file Orlenta recovers.</source>
        <translation>«%1» no es un tipo de archivo que Orlenta recupere.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a number of bytes, such as 64k.</source>
        <translation>«%1» no es un número de bytes, como 64k.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a width and height, such as 640x480.</source>
        <translation>«%1» no es un ancho y un alto, como 640x480.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Orlenta settings</source>
        <translation>Configuración de Orlenta</translation>
    </message>
    <message>
        <source>Open the output folder when a recovery ends</source>
        <translation>Abrir la carpeta de salida al terminar una recuperación</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Examinar…</translation>
    </message>
    <message>
        <source>Name stem (e.g. 1REC.jpg):</source>
        <translation>Raíz de los nombres (p. ej. 1REC.jpg):</translation>
    </message>
    <message>
        <source>Output folder:</source>
        <translation>Carpeta de salida:</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Idioma:</translation>
    </message>
    <message>
        <source>Recovery:</source>
        <translation>Recuperación:</translation>
    </message>
    <message>
        <source>as described</source>
        <translation>como se describe</translation>
    </message>
    <message>
        <source>exact files and more kinds</source>
        <translation>archivos exactos y más tipos</translation>
    </message>
    <message>
        <source>Files back under their own names where the disc&apos;s folders can be read</source>
        <translation>Archivos devueltos con su propio nombre donde las carpetas del disco se leen</translation>
    </message>
    <message>
        <source>Drives</source>
        <translation>Unidades</translation>
    </message>
    <message>
        <source>Settings file: %1</source>
        <translation>Archivo de configuración: %1</translation>
    </message>
    <message>
        <source>Could not read %1.</source>
        <translation>No se pudo leer %1.</translation>
    </message>
    <message>
        <source>Could not write %1; it is left as it was.</source>
        <translation>No se pudo escribir %1; se ha dejado como estaba.</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Carpeta de salida</translation>
    </message>
</context>
<context>
    <name>orlenta::DriveMapEditor</name>
    <message>
        <source>Letter</source>
        <translation>Letra</translation>
    </message>
    <message>
        <source>Disc image or device</source>
        <translation>Imagen de disco o dispositivo</translation>
    </message>
    <message>
        <source>/dev/sr0 or a disc image file</source>
        <translation>/dev/sr0 o un archivo de imagen de disco</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Examinar…</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Asignar</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Optical drives the system reports take the first free letters from D on.</source>
        <translation>Las unidades ópticas que indica el sistema toman las primeras letras libres a partir de la D.</translation>
    </message>
    <message>
        <source>Disc images (*.iso *.img *.bin *.raw)</source>
        <translation>Imágenes de disco (*.iso *.img *.bin *.raw)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>%1 (in use)</source>
        <translation>%1 (en uso)</translation>
    </message>
</context>
<context>
    <name>orlenta::ValueChecks</name>
    <message>
        <source>The name stem &quot;%1&quot; is too long: stored, it takes %2 bytes, at most 3 (a letter such as é takes 2).</source>
        <translation>La raíz de los nombres «%1» es demasiado larga: guardada ocupa %2 bytes, 3 como máximo (una letra como é ocupa 2).</translation>
    </message>
    <message>
        <source>The name stem cannot hold &apos;/&apos;.</source>
        <translation>La raíz de los nombres no puede contener «/».</translation>
    </message>
    <message>
        <source>The name stem cannot hold control characters.</source>
        <translation>La raíz de los nombres no puede contener caracteres de control.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; is not an absolute path.</source>
        <translation>La carpeta de salida «%1» no es una ruta absoluta.</translation>
    </message>
    <message>
        <source>The output folder path is too long: at most 199 bytes with its trailing &apos;/&apos;.</source>
        <translation>La ruta de la carpeta de salida es demasiado larga: 199 bytes como máximo con la «/» final.</translation>
    </message>
    <message>
        <source>The output folder &quot;%1&quot; does not exist or is not a folder.</source>
        <translation>La carpeta de salida «%1» no existe o no es una carpeta.</translation>
    </message>
    <message>
        <source>The language must be 1 to 6.</source>
        <translation>El idioma debe ser de 1 a 6.</translation>
    </message>
    <message>
        <source>The drive letter &quot;%1&quot; is not one of B to M.</source>
        <translation>La letra de unidad «%1» no está entre B y M.</translation>
    </message>
    <message>
        <source>No path given for the drive.</source>
        <translation>No se ha indicado ninguna ruta para la unidad.</translation>
    </message>
    <message>
        <source>A drive path cannot hold a line break.</source>
        <translation>La ruta de una unidad no puede contener un salto de línea.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; does not exist.</source>
        <translation>La ruta de la unidad «%1» no existe.</translation>
    </message>
    <message>
        <source>The drive path &quot;%1&quot; is neither an image file nor a block device.</source>
        <translation>La ruta de la unidad «%1» no es ni un archivo de imagen ni un dispositivo de bloques.</translation>
    </message>
</context>
</TS>
