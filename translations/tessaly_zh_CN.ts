<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ExtensionPopup</name>
    <message>
        <source>JPEG image</source>
        <translation>JPEG 图像</translation>
    </message>
    <message>
        <source>PNG image</source>
        <translation>PNG 图像</translation>
    </message>
    <message>
        <source>WebP image</source>
        <translation>WebP 图像</translation>
    </message>
    <message>
        <source>TIFF image</source>
        <translation>TIFF 图像</translation>
    </message>
    <message>
        <source>GIF image</source>
        <translation>GIF 图像</translation>
    </message>
    <message>
        <source>HEIF image</source>
        <translation>HEIF 图像</translation>
    </message>
    <message>
        <source>AVIF image</source>
        <translation>AVIF 图像</translation>
    </message>
    <message>
        <source>JPEG XL image</source>
        <translation>JPEG XL 图像</translation>
    </message>
    <message>
        <source>JPEG 2000 image</source>
        <translation>JPEG 2000 图像</translation>
    </message>
    <message>
        <source>Portable pixmap</source>
        <translation>便携式像素图</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>将文件或文件夹拖放到本应用程序或此窗口上，即可转换这些文件，或文件夹中的内容。</translation>
    </message>
    <message>
        <source>&amp;Convert…</source>
        <translation>转换(&amp;C)…</translation>
    </message>
    <message>
        <source>&amp;Edit…</source>
        <translation>编辑(&amp;E)…</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>停止(&amp;S)</translation>
    </message>
    <message>
        <source>Drop area</source>
        <translation>拖放区域</translation>
    </message>
    <message>
        <source>Drop files or folders here to convert them.</source>
        <translation>将文件或文件夹拖放到此处以进行转换。</translation>
    </message>
</context>
<context>
    <name>MenuBar</name>
    <message>
        <source>&amp;Convert…</source>
        <translation>转换(&amp;C)…</translation>
    </message>
    <message>
        <source>&amp;Preferences…</source>
        <translation>首选项(&amp;P)…</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
</context>
<context>
    <name>NavDialog</name>
    <message>
        <source>Choose the pictures to convert.</source>
        <translation>请选择要转换的图片。</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the transformed pictures.</source>
        <translation>请选择用于存放转换后图片的文件夹。</translation>
    </message>
    <message>
        <source>Choose a folder for the destination of the copy.</source>
        <translation>请选择用于存放副本的文件夹。</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Tessaly Preferences</source>
        <translation>Tessaly 首选项</translation>
    </message>
    <message>
        <source>Con&amp;vert to:</source>
        <translation>转换为(&amp;V)：</translation>
    </message>
    <message>
        <source>&amp;Quit when done</source>
        <translation>完成后退出(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Copy to folder:</source>
        <translation>复制到文件夹(&amp;C)：</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>选择(&amp;H)…</translation>
    </message>
    <message>
        <source>C&amp;ancel</source>
        <translation>取消(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>确定(&amp;O)</translation>
    </message>
    <message>
        <source>%1 is a Qt plug-in, but not a preference pane: its interface is &quot;%2&quot; where &quot;%3&quot; was expected.</source>
        <translation>%1 是 Qt 插件，但不是首选项面板：其接口为“%2”，而需要的是“%3”。</translation>
    </message>
    <message>
        <source>%1 does not provide the preference pane interface.</source>
        <translation>%1 未提供首选项面板接口。</translation>
    </message>
    <message>
        <source>The pane &quot;%1&quot; could not make its view.</source>
        <translation>面板“%1”无法创建其视图。</translation>
    </message>
    <message>
        <source>Q&amp;uality:</source>
        <translation>质量(&amp;U)：</translation>
    </message>
    <message>
        <source>&amp;Leave out where photos were taken</source>
        <translation>不包含照片拍摄地点(&amp;L)</translation>
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
        <translation>普通</translation>
    </message>
    <message>
        <source>High</source>
        <translation>高</translation>
    </message>
    <message>
        <source>Best</source>
        <translation>最佳</translation>
    </message>
    <message>
        <source>Lossless</source>
        <translation>无损</translation>
    </message>
</context>
<context>
    <name>StatusDisplay</name>
    <message>
        <source>File: %1</source>
        <translation>文件：%1</translation>
    </message>
    <message>
        <source>(%1 of %2)</source>
        <translation>（第 %1 个，共 %2 个）</translation>
    </message>
    <message>
        <source>Bye.</source>
        <translation>再见。</translation>
    </message>
    <message>
        <source>Drop files or folders on the application or this window to convert them or their contents, resp.</source>
        <translation>将文件或文件夹拖放到本应用程序或此窗口上，即可转换这些文件，或文件夹中的内容。</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPane</name>
    <message>
        <source>Array Sizes</source>
        <translation>尺寸列表</translation>
    </message>
</context>
<context>
    <name>TessalyCMPrefPaneView</name>
    <message>
        <source>Sizes</source>
        <translation>尺寸</translation>
    </message>
    <message>
        <source>Picture sizes, in the order they are offered. Drag rows to reorder them; double-click a number to change it.</source>
        <translation>图片尺寸，按提供的顺序排列。拖动行可调整顺序；双击数字可进行修改。</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高度</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>Opens Tessaly&apos;s web page</source>
        <translation>打开 Tessaly 的网页</translation>
    </message>
</context>
</TS>
