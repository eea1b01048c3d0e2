<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- SPDX-License-Identifier: GPL-3.0-or-later -->
<TS version="2.1" language="es_ES" sourcelanguage="en">
<context>
    <name>orlenta::ConfygDialog</name>
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
</TS>
