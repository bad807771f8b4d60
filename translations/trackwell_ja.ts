<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>TAppAddNewDialog</name>
    <message>
        <source>Add New</source>
        <translation>新規追加</translation>
    </message>
    <message>
        <source>&amp;Disk type:</source>
        <translation>ディスクタイプ(&amp;D):</translation>
    </message>
    <message>
        <source>&amp;CHRN:</source>
        <translation>&amp;CHRN:</translation>
    </message>
    <message>
        <source>&amp;Presets...</source>
        <translation>プリセット(&amp;P)...</translation>
    </message>
</context>
<context>
    <name>TAppDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>TAppEnterDialog</name>
    <message>
        <source>Enter</source>
        <translation>入力</translation>
    </message>
</context>
<context>
    <name>TAppFindingsDialog</name>
    <message>
        <source>Row</source>
        <translation>行</translation>
    </message>
    <message>
        <source>Severity</source>
        <translation>重要度</translation>
    </message>
    <message>
        <source>Finding</source>
        <translation>検出内容</translation>
    </message>
</context>
<context>
    <name>TAppFormatDialog</name>
    <message>
        <source>Disk Format</source>
        <translation>ディスクフォーマット</translation>
    </message>
    <message>
        <source>The size of &quot;%1&quot; fits more than one disk format. Choose its format.</source>
        <translation>&quot;%1&quot; のサイズに合うディスクフォーマットが複数あります。フォーマットを選んでください。</translation>
    </message>
</context>
<context>
    <name>TAppMainForm</name>
    <message>
        <source>Toolbar</source>
        <translation>ツールバー</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Write-protected</source>
        <translation>ライトプロテクト</translation>
    </message>
    <message>
        <source>Disk type</source>
        <translation>ディスクタイプ</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>サイズ</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>新規(&amp;N)</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新規</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>開く(&amp;O)...</translation>
    </message>
    <message>
        <source>Open...</source>
        <translation>開く...</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>上書き保存(&amp;S)</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>上書き保存</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>名前を付けて保存(&amp;A)...</translation>
    </message>
    <message>
        <source>Save as...</source>
        <translation>名前を付けて保存...</translation>
    </message>
    <message>
        <source>&amp;Back Up</source>
        <translation>バックアップ(&amp;B)</translation>
    </message>
    <message>
        <source>Back up</source>
        <translation>バックアップ</translation>
    </message>
    <message>
        <source>Bac&amp;k Up on Save</source>
        <translation>保存時にバックアップ(&amp;K)</translation>
    </message>
    <message>
        <source>Back up on save</source>
        <translation>保存時にバックアップ</translation>
    </message>
    <message>
        <source>&amp;New...</source>
        <translation>新規(&amp;N)...</translation>
    </message>
    <message>
        <source>Add new...</source>
        <translation>新規追加...</translation>
    </message>
    <message>
        <source>&amp;Existent...</source>
        <translation>既存のファイル(&amp;E)...</translation>
    </message>
    <message>
        <source>Add exinstent...</source>
        <translation>既存のファイルを追加...</translation>
    </message>
    <message>
        <source>&amp;Single File...</source>
        <translation>単一ファイル(&amp;S)...</translation>
    </message>
    <message>
        <source>Save to single file...</source>
        <translation>単一ファイルに保存...</translation>
    </message>
    <message>
        <source>&amp;Multiple Files...</source>
        <translation>複数ファイル(&amp;M)...</translation>
    </message>
    <message>
        <source>Save to multiple files...</source>
        <translation>複数ファイルに保存...</translation>
    </message>
    <message>
        <source>Multiple &amp;Plain Sector Files...</source>
        <translation>複数のベタイメージ(&amp;P)...</translation>
    </message>
    <message>
        <source>Save to multiple plain sector files...</source>
        <translation>複数のベタイメージに保存...</translation>
    </message>
    <message>
        <source>Multiple &amp;FDI Files...</source>
        <translation>複数の FDI ファイル(&amp;F)...</translation>
    </message>
    <message>
        <source>Save to multiple FDI files...</source>
        <translation>複数の FDI ファイルに保存...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>元に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>やり直し(&amp;R)</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直し</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>すべて選択(&amp;A)</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>すべて選択</translation>
    </message>
    <message>
        <source>Reverse &amp;Selection</source>
        <translation>選択の切り替え(&amp;S)</translation>
    </message>
    <message>
        <source>Reverse selection</source>
        <translation>選択の切り替え</translation>
    </message>
    <message>
        <source>Select D&amp;uplicates</source>
        <translation>重複を選択(&amp;U)</translation>
    </message>
    <message>
        <source>Select images whose tracks an earlier image has</source>
        <translation>前にあるイメージと同じトラックを持つイメージを選択</translation>
    </message>
    <message>
        <source>Dupli&amp;cate</source>
        <translation>複製(&amp;C)</translation>
    </message>
    <message>
        <source>Add duplicate</source>
        <translation>複製を追加</translation>
    </message>
    <message>
        <source>Chec&amp;k...</source>
        <translation>検査(&amp;K)...</translation>
    </message>
    <message>
        <source>Check disk images...</source>
        <translation>ディスクイメージを検査...</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>ツールバー(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>ステータスバー(&amp;S)</translation>
    </message>
    <message>
        <source>Status bar</source>
        <translation>ステータスバー</translation>
    </message>
    <message>
        <source>&amp;Row Select</source>
        <translation>行単位で選択(&amp;R)</translation>
    </message>
    <message>
        <source>Row select</source>
        <translation>行単位で選択</translation>
    </message>
    <message>
        <source>&amp;Name</source>
        <translation>名前(&amp;N)</translation>
    </message>
    <message>
        <source>Sort by name</source>
        <translation>名前で並べ替え</translation>
    </message>
    <message>
        <source>&amp;Write-Protected</source>
        <translation>ライトプロテクト(&amp;W)</translation>
    </message>
    <message>
        <source>Sort by write-protected</source>
        <translation>ライトプロテクトで並べ替え</translation>
    </message>
    <message>
        <source>&amp;Disk Type</source>
        <translation>ディスクタイプ(&amp;D)</translation>
    </message>
    <message>
        <source>Sort by disk type</source>
        <translation>ディスクタイプで並べ替え</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>サイズ(&amp;S)</translation>
    </message>
    <message>
        <source>Sort by size</source>
        <translation>サイズで並べ替え</translation>
    </message>
    <message>
        <source>Reverse &amp;Order</source>
        <translation>逆順に並べ替え(&amp;O)</translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation>逆順に並べ替え</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>上へ移動(&amp;U)</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>上へ移動</translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation>下へ移動(&amp;D)</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>下へ移動</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>コピー(&amp;C)</translation>
    </message>
    <message>
        <source>Copy name property</source>
        <translation>名前をコピー</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>貼り付け(&amp;P)</translation>
    </message>
    <message>
        <source>Paste to name property</source>
        <translation>名前に貼り付け</translation>
    </message>
    <message>
        <source>&amp;Enter...</source>
        <translation>入力(&amp;E)...</translation>
    </message>
    <message>
        <source>Enter for name property...</source>
        <translation>名前を入力...</translation>
    </message>
    <message>
        <source>Set to &quot;&amp;Yes&quot;</source>
        <translation>「はい」にする(&amp;Y)</translation>
    </message>
    <message>
        <source>Set write-protected property to &quot;Yes&quot;</source>
        <translation>ライトプロテクトを「はい」にする</translation>
    </message>
    <message>
        <source>Set to &quot;&amp;No&quot;</source>
        <translation>「いいえ」にする(&amp;N)</translation>
    </message>
    <message>
        <source>Set write-protected property to &quot;No&quot;</source>
        <translation>ライトプロテクトを「いいえ」にする</translation>
    </message>
    <message>
        <source>&amp;Toggle</source>
        <translation>切り替え(&amp;T)</translation>
    </message>
    <message>
        <source>Toggle write-protected property</source>
        <translation>ライトプロテクトを切り替え</translation>
    </message>
    <message>
        <source>&amp;Sum</source>
        <translation>合計(&amp;S)</translation>
    </message>
    <message>
        <source>Sum of size property</source>
        <translation>サイズの合計</translation>
    </message>
    <message>
        <source>&amp;Contents...</source>
        <translation>目次(&amp;C)...</translation>
    </message>
    <message>
        <source>Contents...</source>
        <translation>目次...</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>バージョン情報(&amp;A)</translation>
    </message>
    <message>
        <source>About</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>&amp;Undo - %1</source>
        <translation>元に戻す(&amp;U) - %1</translation>
    </message>
    <message>
        <source>Undo - %1</source>
        <translation>元に戻す - %1</translation>
    </message>
    <message>
        <source>&amp;Redo - %1</source>
        <translation>やり直し(&amp;R) - %1</translation>
    </message>
    <message>
        <source>Redo - %1</source>
        <translation>やり直し - %1</translation>
    </message>
    <message>
        <source>%1 items are selected</source>
        <translation>%1 個の項目を選択</translation>
    </message>
    <message>
        <source>%1 items</source>
        <translation>%1 個の項目</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>A&amp;dd</source>
        <translation>追加(&amp;D)</translation>
    </message>
    <message>
        <source>Save &amp;To</source>
        <translation>保存先(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>Sort &amp;By</source>
        <translation>並べ替え(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>プロパティ(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Write Protected</source>
        <translation>ライトプロテクト(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
</context>
<context>
    <name>TAppPresetsDialog</name>
    <message>
        <source>Presets</source>
        <translation>プリセット</translation>
    </message>
    <message>
        <source>The preset list is unavailable.</source>
        <translation>プリセットの一覧を利用できません。</translation>
    </message>
</context>
<context>
    <name>rtl</name>
    <message>
        <source>The program could not get the text in the clipboard.</source>
        <translation>クリップボードのテキストを取得できませんでした。</translation>
    </message>
    <message>
        <source>The program cannot accept the C value.</source>
        <translation>C の値を受け付けられません。</translation>
    </message>
    <message>
        <source>The program cannot accept the H value.</source>
        <translation>H の値を受け付けられません。</translation>
    </message>
    <message>
        <source>The program cannot accept the R value.</source>
        <translation>R の値を受け付けられません。</translation>
    </message>
    <message>
        <source>The program cannot accept the N value.</source>
        <translation>N の値を受け付けられません。</translation>
    </message>
    <message>
        <source>The program does not support the disk type.</source>
        <translation>このディスクタイプには対応していません。</translation>
    </message>
    <message>
        <source>Specify the disk type.</source>
        <translation>ディスクタイプを指定してください。</translation>
    </message>
    <message>
        <source>The program cannot sort the items.</source>
        <translation>項目を並べ替えられません。</translation>
    </message>
    <message>
        <source>Specify an item.</source>
        <translation>項目を指定してください。</translation>
    </message>
</context>
</TS>
