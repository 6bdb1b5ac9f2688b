<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name>ExtensionPopup</name>
    <message>
        <source>JPEG image</source>
        <translation>JPEG 画像</translation>
    </message>
    <message>
        <source>PNG image</source>
        <translation>PNG 画像</translation>
    </message>
    <message>
        <source>WebP image</source>
        <translation>WebP 画像</translation>
    </message>
    <message>
        <source>TIFF image</source>
        <translation>TIFF 画像</translation>
    </message>
    <message>
        <source>GIF image</source>
        <translation>GIF 画像</translation>
    </message>
    <message>
        <source>HEIF image</source>
        <translation>HEIF 画像</translation>
    </message>
    <message>
        <source>AVIF image</source>
        <translation>AVIF 画像</translation>
    </message>
    <message>
        <source>JPEG XL image</source>
        <translation>JPEG XL 画像</translation>
    </message>
    <message>
        <source>JPEG 2000 image</source>
        <translation>JPEG 2000 画像</translation>
    </message>
    <message>
        <source>Portable pixmap</source>
        <translation>ポータブルピックスマップ</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>ファイルまたはフォルダをこのアプリケーションかこのウインドウにドロップすると、ファイルはそれ自体が、フォルダはその中身が変換されます。</translation>
    </message>
    <message>
        <source>&amp;Convert…</source>
        <translation>変換(&amp;C)…</translation>
    </message>
    <message>
        <source>&amp;Edit…</source>
        <translation>編集(&amp;E)…</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>停止(&amp;S)</translation>
    </message>
    <message>
        <source>Drop area</source>
        <translation>ドロップ領域</translation>
    </message>
    <message>
        <source>Drop files or folders here to convert them.</source>
        <translation>変換するファイルやフォルダをここにドロップしてください。</translation>
    </message>
</context>
<context>
    <name>MenuBar</name>
    <message>
        <source>&amp;Convert…</source>
        <translation>変換(&amp;C)…</translation>
    </message>
    <message>
        <source>&amp;Preferences…</source>
        <translation>環境設定(&amp;P)…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>終了(&amp;Q)</translation>
    </message>
</context>
<context>
    <name>NavDialog</name>
    <message>
        <source>Choose the pictures to convert.</source>
        <translation>変換する画像を選択してください。</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the transformed pictures.</source>
        <translation>変換した画像の保存先フォルダを選択してください。</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the copy.</source>
        <translation>コピーの保存先フォルダを選択してください。</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tessaly Preferences</source>
        <translation>Tessaly 環境設定</translation>
    </message>
    <message>
        <source>Con&amp;vert to:</source>
        <translation>変換形式(&amp;V):</translation>
    </message>
    <message>
        <source>&amp;Quit when done</source>
        <translation>完了したら終了(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Copy to folder:</source>
        <translation>フォルダにコピー(&amp;C):</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>選択(&amp;H)…</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>キャンセル(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>OK(&amp;O)</translation>
    </message>
    <message>
        <source>%1 is a Qt plug-in, but not a preference pane: its interface is &quot;%2&quot; where &quot;%3&quot; was expected.</source>
        <translation>%1 は Qt プラグインですが、環境設定パネルではありません: インターフェイスは「%2」ですが、「%3」が必要です。</translation>
    </message>
    <message>
        <source>%1 does not provide the preference pane interface.</source>
        <translation>%1 は環境設定パネルのインターフェイスを提供していません。</translation>
    </message>
    <message>
        <source>The pane &quot;%1&quot; could not make its view.</source>
        <translation>パネル「%1」はビューを作成できませんでした。</translation>
    </message>
    <message>
        <source>Q&amp;uality:</source>
        <translation>品質(&amp;U):</translation>
    </message>
    <message>
        <source>&amp;Leave out where photos were taken</source>
        <translation>撮影場所を含めない(&amp;L)</translation>
    </message>
</context>
<context>
    <name>QualityPopup</name>
    <message>
        <source>Low</source>
        <translation>低</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>標準</translation>
    </message>
    <message>
        <source>High</source>
        <translation>高</translation>
    </message>
    <message>
        <source>Best</source>
        <translation>最高</translation>
    </message>
    <message>
        <source>Lossless</source>
        <translation>ロスレス</translation>
    </message>
</context>
<context>
    <name>StatusDisplay</name>
    <message>
        <source>File: %1</source>
        <translation>ファイル: %1</translation>
    </message>
    <message>
        <source>(%1 of %2)</source>
        <translation>(%2 件中 %1 件目)</translation>
    </message>
    <message>
        <source>Bye.</source>
        <translation>さようなら。</translation>
    </message>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>ファイルまたはフォルダをこのアプリケーションかこのウインドウにドロップすると、ファイルはそれ自体が、フォルダはその中身が変換されます。</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPane</name>
    <message>
        <source>Array Sizes</source>
        <translation>サイズ一覧</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPaneView</name>
    <message>
        <source>Sizes</source>
        <translation>サイズ</translation>
    </message>
    <message>
        <source>Picture sizes, in the order they are offered. Drag rows to reorder them; double-click a number to change it.</source>
        <translation>画像のサイズ (表示される順)。行をドラッグすると並べ替えられます。数値をダブルクリックすると変更できます。</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>幅</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高さ</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>追加</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>ヘルプ</translation>
    </message>
    <message>
        <source>Opens Tessaly&apos;s web page</source>
        <translation>Tessaly の Web ページを開きます</translation>
    </message>
</context>
</TS>
