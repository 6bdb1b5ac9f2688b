<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>ExtensionPopup</name>
    <message>
        <source>JPEG image</source>
        <translation>Image JPEG</translation>
    </message>
    <message>
        <source>PNG image</source>
        <translation>Image PNG</translation>
    </message>
    <message>
        <source>WebP image</source>
        <translation>Image WebP</translation>
    </message>
    <message>
        <source>TIFF image</source>
        <translation>Image TIFF</translation>
    </message>
    <message>
        <source>GIF image</source>
        <translation>Image GIF</translation>
    </message>
    <message>
        <source>HEIF image</source>
        <translation>Image HEIF</translation>
    </message>
    <message>
        <source>AVIF image</source>
        <translation>Image AVIF</translation>
    </message>
    <message>
        <source>JPEG XL image</source>
        <translation>Image JPEG XL</translation>
    </message>
    <message>
        <source>JPEG 2000 image</source>
        <translation>Image JPEG 2000</translation>
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
        <translation>Déposez des fichiers ou des dossiers sur l’application ou sur cette fenêtre pour convertir les fichiers, ou le contenu des dossiers.</translation>
    </message>
    <message>
        <source>&amp;Convert…</source>
        <translation>&amp;Convertir…</translation>
    </message>
    <message>
        <source>&amp;Edit…</source>
        <translation>&amp;Modifier…</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Arrêter</translation>
    </message>
    <message>
        <source>Drop area</source>
        <translation>Zone de dépôt</translation>
    </message>
    <message>
        <source>Drop files or folders here to convert them.</source>
        <translation>Déposez ici des fichiers ou des dossiers pour les convertir.</translation>
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
        <translation>&amp;Préférences…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
</context>
<context>
    <name>NavDialog</name>
    <message>
        <source>Choose the pictures to convert.</source>
        <translation>Choisissez les images à convertir.</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the transformed pictures.</source>
        <translation>Choisissez un dossier de destination pour les images converties.</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the copy.</source>
        <translation>Choisissez un dossier de destination pour la copie.</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tessaly Preferences</source>
        <translation>Préférences de Tessaly</translation>
    </message>
    <message>
        <source>Con&amp;vert to:</source>
        <translation>Con&amp;vertir en&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Quit when done</source>
        <translation>&amp;Quitter une fois terminé</translation>
    </message>
    <message>
        <source>&amp;Copy to folder:</source>
        <translation>&amp;Copier dans le dossier&#xa0;:</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>C&amp;hoisir…</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>%1 is a Qt plug-in, but not a preference pane: its interface is &quot;%2&quot; where &quot;%3&quot; was expected.</source>
        <translation>%1 est un module Qt, mais pas un panneau de préférences&#xa0;: son interface est «&#xa0;%2&#xa0;» alors que «&#xa0;%3&#xa0;» était attendue.</translation>
    </message>
    <message>
        <source>%1 does not provide the preference pane interface.</source>
        <translation>%1 ne fournit pas l’interface de panneau de préférences.</translation>
    </message>
    <message>
        <source>The pane &quot;%1&quot; could not make its view.</source>
        <translation>Le panneau «&#xa0;%1&#xa0;» n’a pas pu créer sa vue.</translation>
    </message>
    <message>
        <source>Q&amp;uality:</source>
        <translation>Q&amp;ualité&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Leave out where photos were taken</source>
        <translation>Omettre le &amp;lieu de prise de vue des photos</translation>
    </message>
</context>
<context>
    <name>QualityPopup</name>
    <message>
        <source>Low</source>
        <translation>Basse</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normale</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Haute</translation>
    </message>
    <message>
        <source>Best</source>
        <translation>Maximale</translation>
    </message>
    <message>
        <source>Lossless</source>
        <translation>Sans perte</translation>
    </message>
</context>
<context>
    <name>StatusDisplay</name>
    <message>
        <source>File: %1</source>
        <translation>Fichier&#xa0;: %1</translation>
    </message>
    <message>
        <source>(%1 of %2)</source>
        <translation>(%1 sur %2)</translation>
    </message>
    <message>
        <source>Bye.</source>
        <translation>Au revoir.</translation>
    </message>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>Déposez des fichiers ou des dossiers sur l’application ou sur cette fenêtre pour convertir les fichiers, ou le contenu des dossiers.</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPane</name>
    <message>
        <source>Array Sizes</source>
        <translation>Liste des tailles</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPaneView</name>
    <message>
        <source>Sizes</source>
        <translation>Tailles</translation>
    </message>
    <message>
        <source>Picture sizes, in the order they are offered. Drag rows to reorder them; double-click a number to change it.</source>
        <translation>Tailles d’image, dans l’ordre où elles sont proposées. Faites glisser les lignes pour les réordonner&#xa0;; double-cliquez sur un nombre pour le modifier.</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Largeur</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Hauteur</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Opens Tessaly&apos;s web page</source>
        <translation>Ouvre la page web de Tessaly</translation>
    </message>
</context>
</TS>
