<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>TAppAddNewDialog</name>
    <message>
        <source>Add New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Disk type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;CHRN:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Presets...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAppDialog</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAppEnterDialog</name>
    <message>
        <source>Enter</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAppFindingsDialog</name>
    <message>
        <source>Row</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Severity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finding</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAppFormatDialog</name>
    <message>
        <source>Disk Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The size of &quot;%1&quot; fits more than one disk format. Choose its format.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAppMainForm</name>
    <message>
        <source>Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write-protected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disk type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Back Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bac&amp;k Up on Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back up on save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;New...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add new...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Existent...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add exinstent...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Single File...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save to single file...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Multiple Files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save to multiple files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiple &amp;Plain Sector Files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save to multiple plain sector files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiple &amp;FDI Files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save to multiple FDI files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Exit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse &amp;Selection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse selection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select D&amp;uplicates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select images whose tracks an earlier image has</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Dupli&amp;cate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add duplicate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chec&amp;k...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check disk images...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Row Select</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Row select</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Write-Protected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by write-protected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Disk Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by disk type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort by size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse &amp;Order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy name property</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Paste to name property</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Enter...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter for name property...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set to &quot;&amp;Yes&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set write-protected property to &quot;Yes&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set to &quot;&amp;No&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set write-protected property to &quot;No&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Toggle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toggle write-protected property</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Sum</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sum of size property</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Contents...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Redo - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Redo - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 items are selected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 items</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;dd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;To</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort &amp;By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Write Protected</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAppPresetsDialog</name>
    <message>
        <source>Presets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The preset list is unavailable.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>rtl</name>
    <message>
        <source>The program could not get the text in the clipboard.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program cannot accept the C value.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program cannot accept the H value.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program cannot accept the R value.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program cannot accept the N value.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program does not support the disk type.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Specify the disk type.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The program cannot sort the items.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Specify an item.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
