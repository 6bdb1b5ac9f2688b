<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>ExtensionPopup</name>
    <message>
        <source>JPEG image</source>
        <translation>Imagen JPEG</translation>
    </message>
    <message>
        <source>PNG image</source>
        <translation>Imagen PNG</translation>
    </message>
    <message>
        <source>WebP image</source>
        <translation>Imagen WebP</translation>
    </message>
    <message>
        <source>TIFF image</source>
        <translation>Imagen TIFF</translation>
    </message>
    <message>
        <source>GIF image</source>
        <translation>Imagen GIF</translation>
    </message>
    <message>
        <source>HEIF image</source>
        <translation>Imagen HEIF</translation>
    </message>
    <message>
        <source>AVIF image</source>
        <translation>Imagen AVIF</translation>
    </message>
    <message>
        <source>JPEG XL image</source>
        <translation>Imagen JPEG XL</translation>
    </message>
    <message>
        <source>JPEG 2000 image</source>
        <translation>Imagen JPEG 2000</translation>
    </message>
    <message>
        <source>Portable pixmap</source>
        <translation>Mapa de píxeles portátil</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>Arrastre archivos o carpetas a la aplicación o a esta ventana para convertir los archivos, o el contenido de las carpetas.</translation>
    </message>
    <message>
        <source>&amp;Convert…</source>
        <translation>&amp;Convertir…</translation>
    </message>
    <message>
        <source>&amp;Edit…</source>
        <translation>&amp;Editar…</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Detener</translation>
    </message>
    <message>
        <source>Drop area</source>
        <translation>Área para soltar</translation>
    </message>
    <message>
        <source>Drop files or folders here to convert them.</source>
        <translation>Suelte aquí archivos o carpetas para convertirlos.</translation>
    </message>
</context>
<context>
    <name>MenuBar</name>
    <message>
        <source>&amp;Convert…</source>
        <translation>&amp;Convertir…</translation>
    </message>
    <message>
        <source>&amp;Preferences…</source>
        <translation>&amp;Preferencias…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Salir</translation>
    </message>
</context>
<context>
    <name>NavDialog</name>
    <message>
        <source>Choose the pictures to convert.</source>
        <translation>Elija las imágenes que desea convertir.</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the transformed pictures.</source>
        <translation>Elija una carpeta de destino para las imágenes convertidas.</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the copy.</source>
        <translation>Elija una carpeta de destino para la copia.</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tessaly Preferences</source>
        <translation>Preferencias de Tessaly</translation>
    </message>
    <message>
        <source>Con&amp;vert to:</source>
        <translation>Con&amp;vertir a:</translation>
    </message>
    <message>
        <source>&amp;Quit when done</source>
        <translation>&amp;Salir al terminar</translation>
    </message>
    <message>
        <source>&amp;Copy to folder:</source>
        <translation>&amp;Copiar en la carpeta:</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>&amp;Elegir…</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>C&amp;ancelar</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>Ace&amp;ptar</translation>
    </message>
    <message>
        <source>%1 is a Qt plug-in, but not a preference pane: its interface is &quot;%2&quot; where &quot;%3&quot; was expected.</source>
        <translation>%1 es un complemento de Qt, pero no un panel de preferencias: su interfaz es «%2» y se esperaba «%3».</translation>
    </message>
    <message>
        <source>%1 does not provide the preference pane interface.</source>
        <translation>%1 no proporciona la interfaz de panel de preferencias.</translation>
    </message>
    <message>
        <source>The pane &quot;%1&quot; could not make its view.</source>
        <translation>El panel «%1» no pudo crear su vista.</translation>
    </message>
    <message>
        <source>Q&amp;uality:</source>
        <translation>Ca&amp;lidad:</translation>
    </message>
    <message>
        <source>&amp;Leave out where photos were taken</source>
        <translation>&amp;Omitir dónde se tomaron las fotos</translation>
    </message>
</context>
<context>
    <name>QualityPopup</name>
    <message>
        <source>Low</source>
        <translation>Baja</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Alta</translation>
    </message>
    <message>
        <source>Best</source>
        <translation>Máxima</translation>
    </message>
    <message>
        <source>Lossless</source>
        <translation>Sin pérdida</translation>
    </message>
</context>
<context>
    <name>StatusDisplay</name>
    <message>
        <source>File: %1</source>
        <translation>Archivo: %1</translation>
    </message>
    <message>
        <source>(%1 of %2)</source>
        <translation>(%1 de %2)</translation>
    </message>
    <message>
        <source>Bye.</source>
        <translation>Adiós.</translation>
    </message>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>Arrastre archivos o carpetas a la aplicación o a esta ventana para convertir los archivos, o el contenido de las carpetas.</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPane</name>
    <message>
        <source>Array Sizes</source>
        <translation>Lista de tamaños</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPaneView</name>
    <message>
        <source>Sizes</source>
        <translation>Tamaños</translation>
    </message>
    <message>
        <source>Picture sizes, in the order they are offered. Drag rows to reorder them; double-click a number to change it.</source>
        <translation>Tamaños de imagen, en el orden en que se ofrecen. Arrastre las filas para reordenarlas; haga doble clic en un número para cambiarlo.</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Ancho</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Alto</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Añadir</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>Opens Tessaly&apos;s web page</source>
        <translation>Abre la página web de Tessaly</translation>
    </message>
</context>
</TS>
