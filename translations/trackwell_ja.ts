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
    <name>TAppAuditDialog</name>
    <message>
        <source>Complete</source>
        <translation>完全</translation>
    </message>
    <message>
        <source>Incomplete</source>
        <translation>不完全</translation>
    </message>
    <message>
        <source>Duplicate</source>
        <translation>重複</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>不明</translation>
    </message>
    <message>
        <source>Unreadable</source>
        <translation>読み込み不可</translation>
    </message>
    <message>
        <source>&amp;Filter:</source>
        <translation>絞り込み(&amp;F):</translation>
    </message>
    <message>
        <source>All lines</source>
        <translation>すべての行</translation>
    </message>
    <message>
        <source>&amp;Show:</source>
        <translation>表示(&amp;S):</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>タイトル</translation>
    </message>
    <message>
        <source>Disks</source>
        <translation>ディスク</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>ソフトウェア</translation>
    </message>
    <message>
        <source>Where</source>
        <translation>場所</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>開く(&amp;O)</translation>
    </message>
    <message>
        <source>Save &amp;Missing Disks...</source>
        <translation>不足ディスクを保存(&amp;M)...</translation>
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
    <message>
        <source>Title</source>
        <translation>タイトル</translation>
    </message>
    <message>
        <source>Disk</source>
        <translation>ディスク</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>発売年</translation>
    </message>
    <message>
        <source>Publisher</source>
        <translation>発売元</translation>
    </message>
    <message>
        <source>List</source>
        <translation>リスト</translation>
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
        <source>Select Dup&amp;licates</source>
        <translation>重複を選択(&amp;L)</translation>
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
        <translation>%1 個の項目を選択中</translation>
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
    <message>
        <source>Untitled.d88</source>
        <translation>無題.d88</translation>
    </message>
    <message>
        <source>&amp;Identify...</source>
        <translation>識別(&amp;I)...</translation>
    </message>
    <message>
        <source>Identify...</source>
        <translation>識別...</translation>
    </message>
    <message>
        <source>Name from Identi&amp;fication</source>
        <translation>識別結果から命名(&amp;F)</translation>
    </message>
    <message>
        <source>Name from identification</source>
        <translation>識別結果から名前を付ける</translation>
    </message>
    <message>
        <source>Soft&amp;ware Lists...</source>
        <translation>ソフトウェアリスト(&amp;W)...</translation>
    </message>
    <message>
        <source>Software lists...</source>
        <translation>ソフトウェアリスト...</translation>
    </message>
    <message>
        <source>&amp;Files</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>Files of the disk image</source>
        <translation>ディスクイメージ内のファイル</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>開く(&amp;O)</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>フォルダーを開く</translation>
    </message>
    <message>
        <source>&amp;Parent Folder</source>
        <translation>親フォルダー(&amp;P)</translation>
    </message>
    <message>
        <source>Open parent folder</source>
        <translation>親フォルダーを開く</translation>
    </message>
    <message>
        <source>&amp;Extract Files...</source>
        <translation>ファイルの取り出し(&amp;E)...</translation>
    </message>
    <message>
        <source>Extract files...</source>
        <translation>ファイルを取り出す...</translation>
    </message>
    <message>
        <source>&amp;Add Files...</source>
        <translation>ファイルの追加(&amp;A)...</translation>
    </message>
    <message>
        <source>Add files...</source>
        <translation>ファイルを追加...</translation>
    </message>
    <message>
        <source>&amp;Delete Files</source>
        <translation>ファイルの削除(&amp;D)</translation>
    </message>
    <message>
        <source>Delete files</source>
        <translation>ファイルの削除</translation>
    </message>
    <message>
        <source>Re&amp;name File...</source>
        <translation>ファイル名の変更(&amp;N)...</translation>
    </message>
    <message>
        <source>Rename file...</source>
        <translation>ファイル名を変更...</translation>
    </message>
    <message>
        <source>F&amp;iles</source>
        <translation>ファイル操作(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Clear Menu</source>
        <translation>メニューを消去(&amp;C)</translation>
    </message>
    <message>
        <source>Clear the list of recent files</source>
        <translation>最近使ったファイルの一覧を消去</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>最近使ったファイルを開く(&amp;R)</translation>
    </message>
    <message>
        <source>Add Fo&amp;lder...</source>
        <translation>フォルダーの追加(&amp;L)...</translation>
    </message>
    <message>
        <source>Add folder...</source>
        <translation>フォルダーを追加...</translation>
    </message>
    <message>
        <source>New &amp;Folder...</source>
        <translation>新しいフォルダー(&amp;F)...</translation>
    </message>
    <message>
        <source>New folder...</source>
        <translation>新しいフォルダーを作成...</translation>
    </message>
    <message>
        <source>A&amp;udit Folder...</source>
        <translation>フォルダーの監査(&amp;U)...</translation>
    </message>
    <message>
        <source>Audit the disk images of a folder...</source>
        <translation>フォルダー内のディスクイメージを監査...</translation>
    </message>
    <message>
        <source>S&amp;ectors</source>
        <translation>セクター(&amp;E)</translation>
    </message>
    <message>
        <source>Tracks and sectors of the disk image</source>
        <translation>ディスクイメージのトラックとセクター</translation>
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
    <name>TAppSectorsView</name>
    <message>
        <source>deleted data</source>
        <translation>削除データ</translation>
    </message>
    <message>
        <source>error status</source>
        <translation>エラーステータス</translation>
    </message>
    <message>
        <source>repeated ID</source>
        <translation>重複 ID</translation>
    </message>
    <message>
        <source>odd sizes</source>
        <translation>不ぞろいなサイズ</translation>
    </message>
    <message>
        <source>Sectors</source>
        <translation>セクター</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>検索(&amp;F):</translation>
    </message>
    <message>
        <source>He&amp;x</source>
        <translation>16 進(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Next</source>
        <translation>次へ(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Previous</source>
        <translation>前へ(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Go To...</source>
        <translation>移動(&amp;G)...</translation>
    </message>
    <message>
        <source>Entry</source>
        <translation>エントリー</translation>
    </message>
    <message>
        <source>Track</source>
        <translation>トラック</translation>
    </message>
    <message>
        <source>Density</source>
        <translation>記録密度</translation>
    </message>
    <message>
        <source>Marks</source>
        <translation>マーク</translation>
    </message>
    <message>
        <source>Index</source>
        <translation>番号</translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>ステータス</translation>
    </message>
    <message>
        <source>Bytes</source>
        <translation>バイト数</translation>
    </message>
    <message>
        <source>Code page 932</source>
        <translation>コードページ 932</translation>
    </message>
    <message>
        <source>&amp;Text:</source>
        <translation>テキスト(&amp;T):</translation>
    </message>
    <message>
        <source>F&amp;ill...</source>
        <translation>埋める(&amp;I)...</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>適用(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Revert</source>
        <translation>変更を破棄(&amp;R)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>No disk image is focused.</source>
        <translation>フォーカスのあるディスクイメージがありません。</translation>
    </message>
    <message>
        <source>Disk image %1</source>
        <translation>ディスクイメージ %1</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>no</source>
        <translation>いいえ</translation>
    </message>
    <message>
        <source>Go To</source>
        <translation>移動</translation>
    </message>
    <message>
        <source>A track entry and a sector&apos;s place on it (12:3), or a sector ID (6/1/3):</source>
        <translation>トラックのエントリーとその中のセクターの位置 (12:3)、またはセクター ID (6/1/3):</translation>
    </message>
    <message>
        <source>Fill</source>
        <translation>埋める</translation>
    </message>
    <message>
        <source>The byte to fill with (hex):</source>
        <translation>埋めるバイト (16 進):</translation>
    </message>
</context>
<context>
    <name>TAppSoftwareListsDialog</name>
    <message>
        <source>Software Lists</source>
        <translation>ソフトウェアリスト</translation>
    </message>
    <message>
        <source>Identify looks disks up in MAME&apos;s software lists and in these lists, DAT files and folders of lists:</source>
        <translation>識別では、MAME のソフトウェアリストと、ここに挙げたリスト、DAT ファイル、リストを収めたフォルダーからディスクを探します:</translation>
    </message>
    <message>
        <source>Add &amp;List...</source>
        <translation>リストを追加(&amp;L)...</translation>
    </message>
    <message>
        <source>Add &amp;Folder...</source>
        <translation>フォルダーを追加(&amp;F)...</translation>
    </message>
    <message>
        <source>&amp;Remove List</source>
        <translation>リストを削除(&amp;R)</translation>
    </message>
    <message>
        <source>Software lists and DAT files</source>
        <translation>ソフトウェアリストと DAT ファイル</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>すべてのファイル</translation>
    </message>
    <message>
        <source>Add List</source>
        <translation>リストを追加</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>フォルダーを追加</translation>
    </message>
    <message>
        <source>(MAME&apos;s lists left out)</source>
        <translation>(MAME のリストは使わない)</translation>
    </message>
    <message>
        <source>&amp;MAME&apos;s software lists:</source>
        <translation>MAME のソフトウェアリスト(&amp;M):</translation>
    </message>
    <message>
        <source>Br&amp;owse...</source>
        <translation>参照(&amp;O)...</translation>
    </message>
    <message>
        <source>In use: %1 lists, %2 titles, %3 disks.</source>
        <translation>使用中: リスト %1 個、タイトル %2 本、ディスク %3 枚。</translation>
    </message>
    <message>
        <source>The program cannot read what is marked; it is left out.</source>
        <translation>印の付いたものは読み込めないため除外しています。</translation>
    </message>
    <message>
        <source>MAME&apos;s Software Lists</source>
        <translation>MAME のソフトウェアリスト</translation>
    </message>
</context>
<context>
    <name>TFilesPanelWidget</name>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>サイズ</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>種類</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>詳細</translation>
    </message>
</context>
<context>
    <name>TQtUserInterface</name>
    <message>
        <source>&amp;Replace</source>
        <translation>置き換える(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Skip</source>
        <translation>スキップ(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Keep Both</source>
        <translation>両方残す(&amp;K)</translation>
    </message>
    <message>
        <source>Do this for &amp;all the remaining</source>
        <translation>残りすべてに同じ操作を行う(&amp;A)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Trackwell edits the list of disk images inside D88/D77 containers. Every FILE is opened, or added when there are several.</source>
        <translation>Trackwell は D88/D77 ファイルの中のディスクイメージの一覧を編集します。FILE が 1 つならそれを開き、複数なら新しいドキュメントに追加します。</translation>
    </message>
    <message>
        <source>A D88/D77 file to open.</source>
        <translation>開く D88/D77 ファイル。</translation>
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
    <message>
        <source>&apos;%s&apos; is not a valid integer value</source>
        <translation>&apos;%s&apos; は有効な整数値ではありません</translation>
    </message>
    <message>
        <source>Operation aborted</source>
        <translation>操作は中止されました</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%s&quot;.</source>
        <translation>ファイル &quot;%s&quot; を作成できません。</translation>
    </message>
    <message>
        <source>The file &quot;%s&quot; exists.</source>
        <translation>ファイル &quot;%s&quot; は既に存在します。</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%s&quot;.</source>
        <translation>ファイル &quot;%s&quot; に書き込めません。</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%s&quot;. %s</source>
        <translation>ファイル &quot;%s&quot; を開けません。%s</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%s&quot;. %s</source>
        <translation>ファイル &quot;%s&quot; を読み込めません。%s</translation>
    </message>
    <message>
        <source>List index out of bounds (%d)</source>
        <translation>リストのインデックスが範囲外です (%d)</translation>
    </message>
    <message>
        <source>List index out of bounds</source>
        <translation>リストのインデックスが範囲外です</translation>
    </message>
    <message>
        <source>The list does not own its objects.</source>
        <translation>リストはオブジェクトを所有していません。</translation>
    </message>
    <message>
        <source>Not a regular file: %s</source>
        <translation>通常のファイルではありません: %s</translation>
    </message>
    <message>
        <source>Cannot read file &quot;%s&quot;.</source>
        <translation>ファイル &quot;%s&quot; を読み込めません。</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>ストリームの読み込みエラー</translation>
    </message>
    <message>
        <source>Stream write error</source>
        <translation>ストリームの書き込みエラー</translation>
    </message>
    <message>
        <source>Out of memory while expanding memory stream</source>
        <translation>メモリストリームの拡張中にメモリが不足しました</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%s&quot;.</source>
        <translation>ファイル &quot;%s&quot; を開けません。</translation>
    </message>
    <message>
        <source>File shrank while being read: %s</source>
        <translation>読み込み中にファイルが小さくなりました: %s</translation>
    </message>
    <message>
        <source>Cannot seek in file &quot;%s&quot;. %s</source>
        <translation>ファイル &quot;%s&quot; 内をシークできません。%s</translation>
    </message>
    <message>
        <source>The program cannot compare names.</source>
        <translation>名前を比較できません。</translation>
    </message>
    <message>
        <source>The program cannot add the command.</source>
        <translation>コマンドを追加できません。</translation>
    </message>
    <message>
        <source>The program cannot execute any commands.</source>
        <translation>コマンドを実行できません。</translation>
    </message>
    <message>
        <source>The program cannot undo any commands.</source>
        <translation>コマンドを元に戻せません。</translation>
    </message>
    <message>
        <source>The program cannot redo any commands.</source>
        <translation>コマンドをやり直せません。</translation>
    </message>
    <message>
        <source>The program cannot set the number of the commands.</source>
        <translation>コマンドの数を設定できません。</translation>
    </message>
    <message>
        <source>The program cannot set the number of the undo commands.</source>
        <translation>元に戻すコマンドの数を設定できません。</translation>
    </message>
    <message>
        <source>The program cannot set the number of the redo commands.</source>
        <translation>やり直すコマンドの数を設定できません。</translation>
    </message>
    <message>
        <source>The program cannot set the number of the history commands.</source>
        <translation>履歴のコマンドの数を設定できません。</translation>
    </message>
    <message>
        <source>The program cannot end the change operation.</source>
        <translation>変更操作を終了できません。</translation>
    </message>
    <message>
        <source>The program cannot set the capacity.</source>
        <translation>容量を設定できません。</translation>
    </message>
    <message>
        <source>Information about the dropped files is unavailable.</source>
        <translation>ドロップされたファイルの情報を利用できません。</translation>
    </message>
    <message>
        <source>The program cannot get the number of dropped files.</source>
        <translation>ドロップされたファイルの数を取得できません。</translation>
    </message>
    <message>
        <source>The program cannot get the path of a dropped file.</source>
        <translation>ドロップされたファイルのパスを取得できません。</translation>
    </message>
    <message>
        <source>The program cannot set the enabled state of a file-drop watcher.</source>
        <translation>ファイルドロップ監視の有効状態を設定できません。</translation>
    </message>
    <message>
        <source>The program cannot attach the control to a file-drop watcher.</source>
        <translation>コントロールをファイルドロップ監視に関連付けられません。</translation>
    </message>
    <message>
        <source>The program cannot determine whether the character can be used for a file name.</source>
        <translation>その文字をファイル名に使用できるかどうかを判定できません。</translation>
    </message>
    <message>
        <source>The program cannot determine whether the character is a wildcard character.</source>
        <translation>その文字がワイルドカード文字かどうかを判定できません。</translation>
    </message>
    <message>
        <source>The program could not get the long form of the path.</source>
        <translation>パスの長い形式を取得できませんでした。</translation>
    </message>
    <message>
        <source>The list control has no item at this index.</source>
        <translation>リストコントロールのこのインデックスに項目がありません。</translation>
    </message>
    <message>
        <source>The list control cannot take this number of items.</source>
        <translation>リストコントロールはこの数の項目を保持できません。</translation>
    </message>
    <message>
        <source>The list control cannot move states outside its items.</source>
        <translation>リストコントロールは項目の範囲外に状態を移動できません。</translation>
    </message>
    <message>
        <source>The list control has no update to end.</source>
        <translation>リストコントロールには終了する更新がありません。</translation>
    </message>
    <message>
        <source>The program cannot set the number of the items.</source>
        <translation>項目の数を設定できません。</translation>
    </message>
    <message>
        <source>The program cannot get the state.</source>
        <translation>状態を取得できません。</translation>
    </message>
    <message>
        <source>The program cannot set the state.</source>
        <translation>状態を設定できません。</translation>
    </message>
    <message>
        <source>The program cannot insert the item.</source>
        <translation>項目を挿入できません。</translation>
    </message>
    <message>
        <source>The program cannot delete the item.</source>
        <translation>項目を削除できません。</translation>
    </message>
    <message>
        <source>The program cannot ensure the item is visible.</source>
        <translation>項目を表示させることができません。</translation>
    </message>
    <message>
        <source>The program could not load a shell link.</source>
        <translation>ショートカットを読み込めませんでした。</translation>
    </message>
    <message>
        <source>The program could not save a shell link.</source>
        <translation>ショートカットを保存できませんでした。</translation>
    </message>
    <message>
        <source>The program could not set a property of a shell link.</source>
        <translation>ショートカットのプロパティを設定できませんでした。</translation>
    </message>
    <message>
        <source>The program could not resolve a shell link.</source>
        <translation>ショートカットのリンク先を解決できませんでした。</translation>
    </message>
    <message>
        <source>The program cannot quote the string.</source>
        <translation>文字列を引用符で囲めません。</translation>
    </message>
    <message>
        <source>The program cannot dequote the string.</source>
        <translation>文字列の引用符を外せません。</translation>
    </message>
    <message>
        <source>The program could not get any messages.</source>
        <translation>メッセージを取得できませんでした。</translation>
    </message>
    <message>
        <source>The program could not extract any messages.</source>
        <translation>メッセージを取り出せませんでした。</translation>
    </message>
    <message>
        <source>The program could not remove any messages.</source>
        <translation>メッセージを削除できませんでした。</translation>
    </message>
    <message>
        <source>track %d side %d</source>
        <translation>トラック %d サイド %d</translation>
    </message>
    <message>
        <source>Track %d side %d</source>
        <translation>トラック %d サイド %d</translation>
    </message>
    <message>
        <source>The image has %lld bytes, fewer than its header.</source>
        <translation>イメージは %lld バイトで、ヘッダーより小さいです。</translation>
    </message>
    <message>
        <source>The size field says %u bytes; the image has %lld.</source>
        <translation>サイズフィールドは %u バイトですが、イメージは %lld バイトです。</translation>
    </message>
    <message>
        <source>%s starts at offset %lld, past the end of the image (%lld bytes).</source>
        <translation>%s はオフセット %lld から始まり、イメージの末尾 (%lld バイト) を越えています。</translation>
    </message>
    <message>
        <source>%s starts at offset %lld, inside the header.</source>
        <translation>%s はオフセット %lld から始まり、ヘッダーの内側にあります。</translation>
    </message>
    <message>
        <source>The header is 672 bytes, as in images whose track table has 160 entries; a container&apos;s headers are 688 bytes.</source>
        <translation>ヘッダーは、トラックテーブルが 160 エントリのイメージと同じ 672 バイトです。コンテナーのヘッダーは 688 バイトです。</translation>
    </message>
    <message>
        <source>The track table is not in ascending order: %s starts before %s.</source>
        <translation>トラックテーブルが昇順ではありません: %s が %s より前から始まっています。</translation>
    </message>
    <message>
        <source>%s: the header of sector %d runs past the end of the image.</source>
        <translation>%s: セクタ %d のヘッダーがイメージの末尾を越えています。</translation>
    </message>
    <message>
        <source>%s says it has no sectors.</source>
        <translation>%s のセクタ数は 0 となっています。</translation>
    </message>
    <message>
        <source>%s: the data of sector %d runs past the end of the image.</source>
        <translation>%s: セクタ %d のデータがイメージの末尾を越えています。</translation>
    </message>
    <message>
        <source>%s: the sector count fields disagree.</source>
        <translation>%s: セクタ数フィールドが一致しません。</translation>
    </message>
    <message>
        <source>%s: a data size field disagrees with its sector&apos;s size code.</source>
        <translation>%s: データサイズフィールドがセクタのサイズコードと一致しません。</translation>
    </message>
    <message>
        <source>%s has the sector ID %s more than once.</source>
        <translation>%s にセクタ ID %s が複数あります。</translation>
    </message>
    <message>
        <source>%s has sectors %d with an error status and %d of deleted data; such marks are often copy protection, not damage.</source>
        <translation>%s にエラーステータスのセクタが %d 個、削除データのセクタが %d 個あります。このような印は多くの場合、損傷ではなくコピープロテクトです。</translation>
    </message>
    <message>
        <source>%s has sectors %d with an error status; such marks are often copy protection, not damage.</source>
        <translation>%s にエラーステータスのセクタが %d 個あります。このような印は多くの場合、損傷ではなくコピープロテクトです。</translation>
    </message>
    <message>
        <source>%s has sectors %d of deleted data; such marks are often copy protection, not damage.</source>
        <translation>%s に削除データのセクタが %d 個あります。このような印は多くの場合、損傷ではなくコピープロテクトです。</translation>
    </message>
    <message>
        <source>%s overlaps %s.</source>
        <translation>%s が %s と重なっています。</translation>
    </message>
    <message>
        <source>The disk type 0x%02X is not one the program supports.</source>
        <translation>ディスクタイプ 0x%02X はサポートされていません。</translation>
    </message>
    <message>
        <source>The disk type is %s, but %d cylinders of %d sectors of %d bytes make a %s disk.</source>
        <translation>ディスクタイプは %s ですが、%d シリンダ × %d セクタ × %d バイトは %s ディスクの構成です。</translation>
    </message>
    <message>
        <source>error</source>
        <translation>エラー</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>note</source>
        <translation>注記</translation>
    </message>
    <message>
        <source>The data is not a valid disk image.</source>
        <translation>データは有効なディスクイメージではありません。</translation>
    </message>
    <message>
        <source>The program could not load the disk images.</source>
        <translation>ディスクイメージを読み込めませんでした。</translation>
    </message>
    <message>
        <source>The program could not save the disk images.</source>
        <translation>ディスクイメージを保存できませんでした。</translation>
    </message>
    <message>
        <source>The program does not support the disk format.</source>
        <translation>このディスクフォーマットはサポートされていません。</translation>
    </message>
    <message>
        <source>The program does not support disk images of %s.</source>
        <translation>%s のディスクイメージはサポートされていません。</translation>
    </message>
    <message>
        <source>it has no tracks</source>
        <translation>トラックがありません</translation>
    </message>
    <message>
        <source>%s runs past the end of the image</source>
        <translation>%s がイメージの末尾を越えています</translation>
    </message>
    <message>
        <source>%s is absent</source>
        <translation>%s がありません</translation>
    </message>
    <message>
        <source>%s has %d sectors; the others have %d</source>
        <translation>%s のセクタ数は %d ですが、他のトラックは %d です</translation>
    </message>
    <message>
        <source>%s has sectors of %d bytes; the others have %d</source>
        <translation>%s のセクタは %d バイトですが、他は %d バイトです</translation>
    </message>
    <message>
        <source>%s has a sector whose data is not %d bytes</source>
        <translation>%s にデータが %d バイトでないセクタがあります</translation>
    </message>
    <message>
        <source>%s has a sector with the ID of track %d side %d</source>
        <translation>%s にトラック %d サイド %d の ID を持つセクタがあります</translation>
    </message>
    <message>
        <source>%s has a sector with an error status</source>
        <translation>%s にエラーステータスのセクタがあります</translation>
    </message>
    <message>
        <source>%s has a sector of deleted data</source>
        <translation>%s に削除データのセクタがあります</translation>
    </message>
    <message>
        <source>The program could not load the disk image.</source>
        <translation>ディスクイメージを読み込めませんでした。</translation>
    </message>
    <message>
        <source>The program could not save the disk image.</source>
        <translation>ディスクイメージを保存できませんでした。</translation>
    </message>
    <message>
        <source>The program does not support the write-protected mode.</source>
        <translation>このライトプロテクトのモードはサポートされていません。</translation>
    </message>
    <message>
        <source>The program cannot write the string data to a disk image.</source>
        <translation>文字列データをディスクイメージに書き込めません。</translation>
    </message>
    <message>
        <source>The program cannot set the name property of a disk image.</source>
        <translation>ディスクイメージの名前プロパティを設定できません。</translation>
    </message>
    <message>
        <source>The program cannot set the write-protected property of a disk image.</source>
        <translation>ディスクイメージのライトプロテクトプロパティを設定できません。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>はい</translation>
    </message>
    <message>
        <source>No</source>
        <translation>いいえ</translation>
    </message>
    <message>
        <source>%s bytes</source>
        <translation>%s バイト</translation>
    </message>
    <message>
        <source>The program cannot accept files specified in a relative path.</source>
        <translation>相対パスで指定されたファイルは受け付けられません。</translation>
    </message>
    <message>
        <source>The program cannot create a unique path.</source>
        <translation>重複しないパスを作成できません。</translation>
    </message>
    <message>
        <source>The program cannot create a backup of the document.</source>
        <translation>ドキュメントのバックアップを作成できません。</translation>
    </message>
    <message>
        <source>D77 disk images (*.d77)</source>
        <translation>D77 ディスクイメージ (*.d77)</translation>
    </message>
    <message>
        <source>D88 disk images (*.d88)</source>
        <translation>D88 ディスクイメージ (*.d88)</translation>
    </message>
    <message>
        <source>All disk images (*.d77, *.d88)</source>
        <translation>すべてのディスクイメージ (*.d77, *.d88)</translation>
    </message>
    <message>
        <source>All (*.*)</source>
        <translation>すべてのファイル (*.*)</translation>
    </message>
    <message>
        <source>(None)</source>
        <translation>(なし)</translation>
    </message>
    <message>
        <source>The file has been changed by another program since it was opened. Do you want to overwrite it?</source>
        <translation>このファイルは、開いた後に別のプログラムによって変更されています。上書きしますか？</translation>
    </message>
    <message>
        <source>The program cannot create a file handler.</source>
        <translation>ファイルハンドラーを作成できません。</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>Add Existent</source>
        <translation>既存のファイルを追加</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>名前を付けて保存</translation>
    </message>
    <message>
        <source>Save to Single File</source>
        <translation>単一ファイルに保存</translation>
    </message>
    <message>
        <source>The current document is modified.<byte value="xd"/>
<byte value="xd"/>
Save the document?</source>
        <translation>現在のドキュメントは変更されています。<byte value="xd"/>
<byte value="xd"/>
ドキュメントを保存しますか?</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>追加</translation>
    </message>
    <message>
        <source>Duplicate</source>
        <translation>複製</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>The check found nothing wrong with the disk images.</source>
        <translation>検査の結果、ディスクイメージに問題は見つかりませんでした。</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>検査</translation>
    </message>
    <message>
        <source>Sort by name</source>
        <translation>名前で並べ替え</translation>
    </message>
    <message>
        <source>Sort by write-protected</source>
        <translation>ライトプロテクトで並べ替え</translation>
    </message>
    <message>
        <source>Sort by disk type</source>
        <translation>ディスクタイプで並べ替え</translation>
    </message>
    <message>
        <source>Sort by by size</source>
        <translation>サイズで並べ替え</translation>
    </message>
    <message>
        <source>Reverse order</source>
        <translation>逆順に並べ替え</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>上へ移動</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>下へ移動</translation>
    </message>
    <message>
        <source>The program cannot accept the value.</source>
        <translation>この値は受け付けられません。</translation>
    </message>
    <message>
        <source>Set name property</source>
        <translation>名前の設定</translation>
    </message>
    <message>
        <source>Set write-protected property</source>
        <translation>ライトプロテクトの設定</translation>
    </message>
    <message>
        <source>The program cannot paste the text in the clipboard.</source>
        <translation>クリップボードのテキストを貼り付けられません。</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>入力</translation>
    </message>
    <message>
        <source>Specify a name (up to %d characters in ASCII).</source>
        <translation>名前を指定してください (ASCII で %d 文字まで)。</translation>
    </message>
    <message>
        <source>The program does not support the write-protect mode.</source>
        <translation>このライトプロテクトのモードはサポートされていません。</translation>
    </message>
    <message>
        <source>The total size of selected disk images is %s.</source>
        <translation>選択したディスクイメージの合計サイズは %s です。</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>合計</translation>
    </message>
    <message>
        <source>Specify the save location.</source>
        <translation>保存先を指定してください。</translation>
    </message>
    <message>
        <source>The feature is unavailable.</source>
        <translation>この機能は利用できません。</translation>
    </message>
    <message>
        <source>The program cannot end any change operations.</source>
        <translation>変更操作を終了できません。</translation>
    </message>
    <message>
        <source>The program opens the help (a local file in the HTML format).</source>
        <translation>ヘルプ (HTML 形式のローカルファイル) を開きます。</translation>
    </message>
    <message>
        <source>The program could not open the help.</source>
        <translation>ヘルプを開けませんでした。</translation>
    </message>
    <message>
        <source>About</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>Copyright (c) 2026 the Trackwell developers. All rights reserved.</source>
        <translation>Copyright (c) 2026 the Trackwell developers. All rights reserved.</translation>
    </message>
    <message>
        <source>The program could not convert the string to a preset item.</source>
        <translation>文字列をプリセット項目に変換できませんでした。</translation>
    </message>
    <message>
        <source>Cannot create folder &quot;%s&quot;. %s</source>
        <translation>フォルダー &quot;%s&quot; を作成できません。%s</translation>
    </message>
    <message>
        <source>The program could not load the settings.</source>
        <translation>設定を読み込めませんでした。</translation>
    </message>
    <message>
        <source>The program could not save the settings.</source>
        <translation>設定を保存できませんでした。</translation>
    </message>
    <message>
        <source>The program cannot create a view handler.</source>
        <translation>ビューハンドラーを作成できません。</translation>
    </message>
    <message>
        <source>its sectors have size code %d, which no disk has</source>
        <translation>セクタのサイズコード %d に当たるディスクはありません</translation>
    </message>
    <message>
        <source>The program cannot read &quot;%s&quot; (%s) as &quot;%s&quot;: no preset has that name.</source>
        <translation>&quot;%s&quot; (%s) を &quot;%s&quot; として読み込めません: その名前のプリセットはありません。</translation>
    </message>
    <message>
        <source>The program cannot read &quot;%s&quot; (%s) as &quot;%s&quot;, whose dumps have %s.</source>
        <translation>&quot;%s&quot; (%s) を &quot;%s&quot; として読み込めません: そのフォーマットのベタイメージは %s です。</translation>
    </message>
    <message>
        <source>%s does not have each of the sectors 1 to %d once</source>
        <translation>%s にセクタ 1 から %d までが 1 つずつそろっていません</translation>
    </message>
    <message>
        <source>Disk images (%s)</source>
        <translation>ディスクイメージ (%s)</translation>
    </message>
    <message>
        <source>plain sectors</source>
        <translation>ベタイメージ</translation>
    </message>
    <message>
        <source>a DIM file</source>
        <translation>DIM ファイル</translation>
    </message>
    <message>
        <source>no DIM media byte names its geometry of %d cylinders, %d sides and %d sectors of %d bytes</source>
        <translation>%d シリンダ、%d 面、%d セクタ (各 %d バイト) という形式を表す DIM のメディアバイトがありません</translation>
    </message>
    <message>
        <source>The program cannot write the disk image %d as %s: %s.</source>
        <translation>ディスクイメージ %d を%sとして書き込めません: %s。</translation>
    </message>
    <message>
        <source>The program cannot write the disk image %d (&quot;%s&quot;) as %s: %s.</source>
        <translation>ディスクイメージ %d (&quot;%s&quot;) を%sとして書き込めません: %s。</translation>
    </message>
    <message>
        <source>The disk image &quot;%s&quot; has sectors read more than once (%d); the image keeps the first reading of each.</source>
        <translation>ディスクイメージ &quot;%s&quot; には複数回読み取られたセクタがあります (%d 個)。それぞれ最初の読み取りだけをイメージに残します。</translation>
    </message>
    <message>
        <source>The disk image &quot;%s&quot; has special readings of its tracks (%d), which an image cannot hold; they are left out.</source>
        <translation>ディスクイメージ &quot;%s&quot; にはトラックの特殊読み込みがあります (%d 件)。イメージには保持できないため省きます。</translation>
    </message>
    <message>
        <source>an NFD file</source>
        <translation>NFD ファイル</translation>
    </message>
    <message>
        <source>%s is past the %d tracks an NFD file holds</source>
        <translation>%s は NFD ファイルが保持できる %d トラックを越えています</translation>
    </message>
    <message>
        <source>%s has %d sectors; an NFD file holds %d a track</source>
        <translation>%s にはセクタが %d 個あります。NFD ファイルは 1 トラックに %d 個までしか保持できません</translation>
    </message>
    <message>
        <source>%s has a sector whose data is not the size its code names</source>
        <translation>%s にデータがサイズコードの示す大きさでないセクタがあります</translation>
    </message>
    <message>
        <source>%s has a sector of cylinder 255, which an NFD file takes for no sector</source>
        <translation>%s にシリンダ 255 のセクタがあります。NFD ファイルではセクタなしの意味になります</translation>
    </message>
    <message>
        <source>The program cannot read the list &quot;%s&quot;: it is too large.</source>
        <translation>リスト &quot;%s&quot; を読み込めません: 大きすぎます。</translation>
    </message>
    <message>
        <source>The program cannot read the list &quot;%s&quot;.</source>
        <translation>リスト &quot;%s&quot; を読み込めません。</translation>
    </message>
    <message>
        <source>%s at line %lu</source>
        <translation>%s (%lu 行目)</translation>
    </message>
    <message>
        <source>it is neither a MAME software list nor a DAT file</source>
        <translation>MAME のソフトウェアリストでも DAT ファイルでもありません</translation>
    </message>
    <message>
        <source>The program cannot read the list &quot;%s&quot;: %s.</source>
        <translation>リスト &quot;%s&quot; を読み込めません: %s。</translation>
    </message>
    <message>
        <source>a disk&apos;s size is not a number</source>
        <translation>ディスクのサイズが数値ではありません</translation>
    </message>
    <message>
        <source>a disk&apos;s SHA-1 is not 40 hex digits</source>
        <translation>ディスクの SHA-1 が 16 進数 40 桁ではありません</translation>
    </message>
    <message>
        <source>The program cannot read the folder of lists &quot;%s&quot;.</source>
        <translation>リストのフォルダー &quot;%s&quot; を読み込めません。</translation>
    </message>
    <message>
        <source>(not identified)</source>
        <translation>(該当なし)</translation>
    </message>
    <message>
        <source>Identify</source>
        <translation>識別</translation>
    </message>
    <message>
        <source>Name from Identification</source>
        <translation>識別結果から命名</translation>
    </message>
    <message>
        <source>No selected disk image is in the software lists.</source>
        <translation>選択したディスクイメージはどれもソフトウェアリストにありません。</translation>
    </message>
    <message>
        <source>the directory holds extent %d of &quot;%s&quot; twice</source>
        <translation>ディレクトリにエクステント %d (&quot;%s&quot;) が 2 回あります</translation>
    </message>
    <message>
        <source>the entry of &quot;%s&quot; points outside the disk</source>
        <translation>&quot;%s&quot; のエントリーがディスクの外を指しています</translation>
    </message>
    <message>
        <source>&quot;%s&quot; and the directory share block %d</source>
        <translation>&quot;%s&quot; とディレクトリがブロック %d を共有しています</translation>
    </message>
    <message>
        <source>&quot;%s&quot; and &quot;%s&quot; share block %d</source>
        <translation>&quot;%s&quot; と &quot;%s&quot; がブロック %d を共有しています</translation>
    </message>
    <message>
        <source>The program cannot read the file &quot;%s&quot;: some of its blocks are not on the disk.</source>
        <translation>ファイル &quot;%s&quot; を読み込めません: ブロックの一部がディスク上にありません。</translation>
    </message>
    <message>
        <source>The disk image %s is write-protected; clear its write protection to change its files.</source>
        <translation>ディスクイメージ %s はライトプロテクトされています。ファイルを変更するにはライトプロテクトを解除してください。</translation>
    </message>
    <message>
        <source>The program does not know the file system of the disk image %s.</source>
        <translation>ディスクイメージ %s のファイルシステムは認識できません。</translation>
    </message>
    <message>
        <source>Add file</source>
        <translation>ファイルの追加</translation>
    </message>
    <message>
        <source>Add files</source>
        <translation>ファイルの追加</translation>
    </message>
    <message>
        <source>Delete files</source>
        <translation>ファイルの削除</translation>
    </message>
    <message>
        <source>Rename file</source>
        <translation>ファイル名の変更</translation>
    </message>
    <message>
        <source>The file &quot;%s&quot; is larger than any disk.</source>
        <translation>ファイル &quot;%s&quot; はどのディスクよりも大きすぎます。</translation>
    </message>
    <message>
        <source>The program cannot create a files handler.</source>
        <translation>ファイル一覧のハンドラーを作成できません。</translation>
    </message>
    <message>
        <source>No known file system</source>
        <translation>認識できるファイルシステムがありません</translation>
    </message>
    <message>
        <source>%s, %s bytes free</source>
        <translation>%s、空き %s バイト</translation>
    </message>
    <message>
        <source> (damaged: %s)</source>
        <translation> (破損: %s)</translation>
    </message>
    <message>
        <source>Extract Files</source>
        <translation>ファイルの取り出し</translation>
    </message>
    <message>
        <source>The program cannot create the folder &quot;%s&quot;: %s.</source>
        <translation>フォルダー &quot;%s&quot; を作成できません: %s。</translation>
    </message>
    <message>
        <source>Add Files</source>
        <translation>ファイルの追加</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>すべてのファイル</translation>
    </message>
    <message>
        <source>Rename File</source>
        <translation>ファイル名の変更</translation>
    </message>
    <message>
        <source>Specify the file&apos;s new name.</source>
        <translation>ファイルの新しい名前を指定してください。</translation>
    </message>
    <message>
        <source>the allocation chain of &quot;%s&quot; loops</source>
        <translation>&quot;%s&quot; のアロケーションチェーンがループしています</translation>
    </message>
    <message>
        <source>the allocation chain of &quot;%s&quot; leaves the disk</source>
        <translation>&quot;%s&quot; のアロケーションチェーンがディスクの外に出ています</translation>
    </message>
    <message>
        <source>&quot;%s&quot; and &quot;%s&quot; share cluster %d</source>
        <translation>&quot;%s&quot; と &quot;%s&quot; がクラスタ %d を共有しています</translation>
    </message>
    <message>
        <source>the size of &quot;%s&quot; is larger than its allocation chain holds</source>
        <translation>&quot;%s&quot; のサイズがアロケーションチェーンに収まる大きさを超えています</translation>
    </message>
    <message>
        <source>the folder &quot;%s&quot; loops back to a folder that holds it</source>
        <translation>フォルダー &quot;%s&quot; が自分を含むフォルダーに戻っています</translation>
    </message>
    <message>
        <source>the folders nest deeper than %d levels at &quot;%s&quot;</source>
        <translation>フォルダーの階層が %d 段を超えています (&quot;%s&quot;)</translation>
    </message>
    <message>
        <source>The program cannot read the file &quot;%s&quot;: its allocation chain is broken.</source>
        <translation>ファイル &quot;%s&quot; を読み込めません: アロケーションチェーンが壊れています。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a FAT12 disk: a name cannot hold control characters.</source>
        <translation>名前 &quot;%s&quot; は FAT12 のディスクに合いません: 名前に制御文字は使えません。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a FAT12 disk: a name cannot hold spaces.</source>
        <translation>名前 &quot;%s&quot; は FAT12 のディスクに合いません: 名前に空白は使えません。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a FAT12 disk: a name cannot hold &quot;%s&quot;.</source>
        <translation>名前 &quot;%s&quot; は FAT12 のディスクに合いません: 名前に &quot;%s&quot; は使えません。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a FAT12 disk: a name cannot hold the byte 0x%02X.</source>
        <translation>名前 &quot;%s&quot; は FAT12 のディスクに合いません: 名前にバイト 0x%02X は使えません。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a FAT12 disk: a name has one dot at most.</source>
        <translation>名前 &quot;%s&quot; は FAT12 のディスクに合いません: 名前に使えるドットは 1 つまでです。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a FAT12 disk: it needs a name before the dot.</source>
        <translation>名前 &quot;%s&quot; は FAT12 のディスクに合いません: ドットの前に名前が必要です。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a FAT12 disk: at most %d bytes and 3 after the dot.</source>
        <translation>名前 &quot;%s&quot; は FAT12 のディスクに合いません: %d バイトまで、ドットの後は 3 バイトまでです。</translation>
    </message>
    <message>
        <source>The disk already has a folder &quot;%s&quot;.</source>
        <translation>ディスクにはすでにフォルダー &quot;%s&quot; があります。</translation>
    </message>
    <message>
        <source>The root folder of the disk is full: it holds at most %d entries.</source>
        <translation>ディスクのルートフォルダーがいっぱいです: エントリーは %d 個までです。</translation>
    </message>
    <message>
        <source>The folder &quot;%s&quot; is not empty.</source>
        <translation>フォルダー &quot;%s&quot; は空ではありません。</translation>
    </message>
    <message>
        <source>The disk already has a file &quot;%s&quot;.</source>
        <translation>ディスクにはすでにファイル &quot;%s&quot; があります。</translation>
    </message>
    <message>
        <source>The disk has no file &quot;%s&quot;.</source>
        <translation>ディスクにファイル &quot;%s&quot; はありません。</translation>
    </message>
    <message>
        <source>The disk has no folder &quot;%s&quot;.</source>
        <translation>ディスクにフォルダー &quot;%s&quot; はありません。</translation>
    </message>
    <message>
        <source>The program cannot change the files of this disk: %s.</source>
        <translation>このディスクのファイルは変更できません: %s。</translation>
    </message>
    <message>
        <source>The program cannot change the files of a %s disk.</source>
        <translation>%s のディスクのファイルは変更できません。</translation>
    </message>
    <message>
        <source>The file &quot;%s&quot; (%s bytes) does not fit the free space of the disk (%s bytes).</source>
        <translation>ファイル &quot;%s&quot; (%s バイト) はディスクの空き領域 (%s バイト) に収まりません。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a Hu-BASIC disk: it has a character the disk&apos;s names cannot hold.</source>
        <translation>名前 &quot;%s&quot; は Hu-BASIC のディスクに合いません: ディスクの名前に使えない文字があります。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a Hu-BASIC disk: at most 13 bytes and 3 after the dot.</source>
        <translation>名前 &quot;%s&quot; は Hu-BASIC のディスクに合いません: 13 バイトまで、ドットの後は 3 バイトまでです。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit a Hu-BASIC disk: it has nothing before the dot.</source>
        <translation>名前 &quot;%s&quot; は Hu-BASIC のディスクに合いません: ドットの前に名前が必要です。</translation>
    </message>
    <message>
        <source>the allocation chain of &quot;%s&quot; runs into free cluster %d</source>
        <translation>&quot;%s&quot; のアロケーションチェーンが空きクラスタ %d に入り込んでいます</translation>
    </message>
    <message>
        <source>&quot;%s&quot; and the disk&apos;s tables share cluster %d</source>
        <translation>&quot;%s&quot; とディスクの管理領域がクラスタ %d を共有しています</translation>
    </message>
    <message>
        <source>the size of &quot;%s&quot; runs past the end of its allocation chain</source>
        <translation>&quot;%s&quot; のサイズがアロケーションチェーンの終わりを越えています</translation>
    </message>
    <message>
        <source>The file &quot;%s&quot; (%s bytes) does not fit a Hu-BASIC disk: a file that is not text holds at most 65535 bytes.</source>
        <translation>ファイル &quot;%s&quot; (%s バイト) は Hu-BASIC のディスクに収まりません: テキスト以外のファイルは 65535 バイトまでです。</translation>
    </message>
    <message>
        <source>The directory of the disk has no room for the file &quot;%s&quot;.</source>
        <translation>ディスクのディレクトリにファイル &quot;%s&quot; を入れる余地がありません。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit an N88-BASIC disk: it may hold no control bytes and no &apos;/&apos;, &apos;:&apos; or &apos;&quot;&apos;.</source>
        <translation>名前 &quot;%s&quot; は N88-BASIC のディスクに合いません: 制御文字と &apos;/&apos;、&apos;:&apos;、&apos;&quot;&apos; は使えません。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit an N88-BASIC disk: at most 6 bytes and 3 after the dot.</source>
        <translation>名前 &quot;%s&quot; は N88-BASIC のディスクに合いません: 6 バイトまで、ドットの後は 3 バイトまでです。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit an N88-BASIC disk: it needs a name before the dot.</source>
        <translation>名前 &quot;%s&quot; は N88-BASIC のディスクに合いません: ドットの前に名前が必要です。</translation>
    </message>
    <message>
        <source>the allocation chain of &quot;%s&quot; runs into reserved cluster %d</source>
        <translation>&quot;%s&quot; のアロケーションチェーンが予約クラスタ %d に入り込んでいます</translation>
    </message>
    <message>
        <source>the last cluster of &quot;%s&quot; counts more sectors than a cluster holds</source>
        <translation>&quot;%s&quot; の最後のクラスタのセクタ数がクラスタの大きさを超えています</translation>
    </message>
    <message>
        <source>the copies of the allocation table differ</source>
        <translation>アロケーションテーブルの複製が一致しません</translation>
    </message>
    <message>
        <source>The program cannot create a temporary folder for the files.</source>
        <translation>ファイル用の一時フォルダーを作成できません。</translation>
    </message>
    <message>
        <source>The program cannot extract the files: two of them would be written as &quot;%s&quot;.</source>
        <translation>ファイルを取り出せません: 2 つのファイルが同じ名前 &quot;%s&quot; で書き出されます。</translation>
    </message>
    <message>
        <source>The name &quot;%s&quot; does not fit an F-BASIC disk: 1 to 8 characters of ASCII or half-width katakana, without &apos;&quot;&apos;, &apos;:&apos; or &apos;/&apos;.</source>
        <translation>名前 &quot;%s&quot; は F-BASIC のディスクに合いません: ASCII または半角カタカナで 1 〜 8 文字、&apos;&quot;&apos;、&apos;:&apos;、&apos;/&apos; は使えません。</translation>
    </message>
    <message>
        <source>the entry of &quot;%s&quot; starts in the system area</source>
        <translation>&quot;%s&quot; のエントリーがシステム領域から始まっています</translation>
    </message>
    <message>
        <source>The program cannot read the file &quot;%s&quot;: its records are not the file&apos;s.</source>
        <translation>ファイル &quot;%s&quot; を読み込めません: そのレコードはこのファイルのものではありません。</translation>
    </message>
    <message>
        <source>a container</source>
        <translation>コンテナー</translation>
    </message>
    <message>
        <source>Any number of disks, each track&apos;s sectors with their IDs, densities, marks and statuses as they are.</source>
        <translation>何枚でものディスク。各トラックのセクタを ID、記録密度、マーク、ステータスとともにそのまま保持します。</translation>
    </message>
    <message>
        <source>Plain sectors</source>
        <translation>ベタイメージ</translation>
    </message>
    <message>
        <source>a plain dump</source>
        <translation>ベタイメージ</translation>
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
        <source>One disk whose tracks are all present with sectors 1 to R of one size, without deleted data or error statuses; its size tells its geometry.</source>
        <translation>すべてのトラックがそろい、各トラックにセクタ 1 から R までが同じサイズで並び、削除データもエラーステータスもない 1 枚のディスク。ジオメトリはファイルサイズで判断します。</translation>
    </message>
    <message>
        <source>an FDI file</source>
        <translation>FDI ファイル</translation>
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
        <source>What plain sectors hold, after a header that gives the geometry and the disk type.</source>
        <translation>ベタイメージと同じ内容を、ジオメトリとディスクの種類を記したヘッダーの後に保持します。</translation>
    </message>
    <message>
        <source>Multiple &amp;NFD Files...</source>
        <translation>複数の NFD ファイル(&amp;N)...</translation>
    </message>
    <message>
        <source>Save to multiple NFD files...</source>
        <translation>複数の NFD ファイルに保存...</translation>
    </message>
    <message>
        <source>One disk, every sector with its ID, size, density, marks and status; written as r0, of up to 163 tracks of up to 26 sectors.</source>
        <translation>1 枚のディスク。各セクタを ID、サイズ、記録密度、マーク、ステータスとともに保持します。書き出しは r0 で、163 トラックまで、各トラック 26 セクタまで。</translation>
    </message>
    <message>
        <source>Multiple &amp;DIM Files...</source>
        <translation>複数の DIM ファイル(&amp;D)...</translation>
    </message>
    <message>
        <source>Save to multiple DIM files...</source>
        <translation>複数の DIM ファイルに保存...</translation>
    </message>
    <message>
        <source>What plain sectors hold, of the 2HD geometries its media byte names (77×2×8 of 1,024 bytes, 80×2×9 of 1,024, 80×2×15 of 512, 80×2×18 of 512); tracks may be left out.</source>
        <translation>ベタイメージと同じ内容で、メディアバイトが示す 2HD のジオメトリ (77×2×8 で 1,024 バイト、80×2×9 で 1,024、80×2×15 で 512、80×2×18 で 512) のもの。トラックを省くことができます。</translation>
    </message>
    <message>
        <source>an FDD file</source>
        <translation>FDD ファイル</translation>
    </message>
    <message>
        <source>One disk, every sector with its ID, size, density and status; read only.</source>
        <translation>1 枚のディスク。各セクタを ID、サイズ、記録密度、ステータスとともに保持します。読み込みのみ。</translation>
    </message>
    <message>
        <source>a DCP or DCU file</source>
        <translation>DCP または DCU ファイル</translation>
    </message>
    <message>
        <source>One disk of a geometry its media byte names, tracks left out where its map says; read only.</source>
        <translation>メディアバイトが示すジオメトリの 1 枚のディスク。トラックマップが示すトラックは省かれます。読み込みのみ。</translation>
    </message>
    <message>
        <source>a DIP file</source>
        <translation>DIP ファイル</translation>
    </message>
    <message>
        <source>One 2HD disk of 77×2×8 sectors of 1,024 bytes; read only.</source>
        <translation>77×2×8 セクタ、1,024 バイトの 2HD ディスク 1 枚。読み込みのみ。</translation>
    </message>
    <message>
        <source>%s The nearest name that fits is &quot;%s&quot;.</source>
        <translation>%s 合う最も近い名前は &quot;%s&quot; です。</translation>
    </message>
    <message>
        <source>Specify the file&apos;s name on the disk.</source>
        <translation>ディスク上のファイル名を指定してください。</translation>
    </message>
    <message>
        <source> (read-only file system)</source>
        <translation> (読み込み専用のファイルシステム)</translation>
    </message>
    <message>
        <source> (write-protected image)</source>
        <translation> (ライトプロテクトされたイメージ)</translation>
    </message>
    <message>
        <source>file</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>フォルダー</translation>
    </message>
    <message>
        <source>binary</source>
        <translation>バイナリー</translation>
    </message>
    <message>
        <source>data</source>
        <translation>データ</translation>
    </message>
    <message>
        <source>machine code</source>
        <translation>機械語</translation>
    </message>
    <message>
        <source>read-only</source>
        <translation>読み込み専用</translation>
    </message>
    <message>
        <source>hidden</source>
        <translation>隠し</translation>
    </message>
    <message>
        <source>system</source>
        <translation>システム</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>アーカイブ</translation>
    </message>
    <message>
        <source>random</source>
        <translation>ランダム</translation>
    </message>
    <message>
        <source>write-protected</source>
        <translation>書き込み禁止</translation>
    </message>
    <message>
        <source>encrypted</source>
        <translation>暗号化</translation>
    </message>
    <message>
        <source>verify</source>
        <translation>ベリファイ</translation>
    </message>
    <message>
        <source>damaged</source>
        <translation>破損</translation>
    </message>
    <message>
        <source>type %s</source>
        <translation>種類 %s</translation>
    </message>
    <message>
        <source>load %s exec %s</source>
        <translation>ロード %s 実行 %s</translation>
    </message>
    <message>
        <source>user %s</source>
        <translation>ユーザー %s</translation>
    </message>
    <message>
        <source>mode %s</source>
        <translation>モード %s</translation>
    </message>
    <message>
        <source>The file &quot;%s&quot; is no longer there; it has been taken off the list of recent files.</source>
        <translation>ファイル &quot;%s&quot; はもうありません。最近使ったファイルの一覧から外しました。</translation>
    </message>
    <message>
        <source>The folder &quot;%s&quot; does not fit the free space of the disk.</source>
        <translation>フォルダー &quot;%s&quot; はディスクの空き容量に収まりません。</translation>
    </message>
    <message>
        <source>The %s file system has no folders: it keeps every file in one.</source>
        <translation>ファイルシステム %s にはフォルダーがありません。すべてのファイルを一つの場所に置きます。</translation>
    </message>
    <message>
        <source>The program cannot accept the name &quot;%s&quot;.</source>
        <translation>名前 &quot;%s&quot; は受け付けられません。</translation>
    </message>
    <message>
        <source>New folder</source>
        <translation>新しいフォルダー</translation>
    </message>
    <message>
        <source>The folder &quot;%s&quot; holds more than any disk.</source>
        <translation>フォルダー &quot;%s&quot; の中身はどのディスクよりも大きすぎます。</translation>
    </message>
    <message>
        <source>The program cannot read the folder &quot;%s&quot;: %s.</source>
        <translation>フォルダー &quot;%s&quot; を読み込めません: %s。</translation>
    </message>
    <message>
        <source>Add Folder</source>
        <translation>フォルダーの追加</translation>
    </message>
    <message>
        <source>The folder &quot;%s&quot; is not empty. Delete it with everything it holds?</source>
        <translation>フォルダー &quot;%s&quot; は空ではありません。中身ごと削除しますか?</translation>
    </message>
    <message>
        <source>%d of the folders are not empty. Delete them with everything they hold?</source>
        <translation>%d 個のフォルダーが空ではありません。中身ごと削除しますか?</translation>
    </message>
    <message>
        <source>Delete Files</source>
        <translation>ファイルの削除</translation>
    </message>
    <message>
        <source>FOLDER</source>
        <translation>フォルダー</translation>
    </message>
    <message>
        <source>Specify the folder&apos;s name.</source>
        <translation>フォルダーの名前を指定してください。</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>新しいフォルダー</translation>
    </message>
    <message>
        <source>The program left out software lists it cannot read:</source>
        <translation>読み込めないソフトウェアリストを除外しました:</translation>
    </message>
    <message>
        <source>Software Lists</source>
        <translation>ソフトウェアリスト</translation>
    </message>
    <message>
        <source>%zu files, %zu images: %zu titles complete, %zu incomplete (%zu disks missing), %zu duplicates, %zu unknown, %zu unreadable.</source>
        <translation>ファイル %zu 個、イメージ %zu 枚: 完全なタイトル %zu 本、不完全 %zu 本 (不足ディスク %zu 枚)、重複 %zu 件、不明 %zu 件、読み込み不可 %zu 件。</translation>
    </message>
    <message>
        <source>The program cannot find MAME&apos;s folder of lists &quot;%s&quot;.</source>
        <translation>MAME のリストのフォルダー &quot;%s&quot; が見つかりません。</translation>
    </message>
    <message>
        <source>Audit Folder</source>
        <translation>フォルダーの監査</translation>
    </message>
    <message>
        <source>Reading the disk images under &quot;%s&quot;...</source>
        <translation>&quot;%s&quot; 以下のディスクイメージを読み込んでいます...</translation>
    </message>
    <message>
        <source>Audit of &quot;%s&quot;</source>
        <translation>&quot;%s&quot; の監査</translation>
    </message>
    <message>
        <source>Save Missing Disks</source>
        <translation>不足ディスクの保存</translation>
    </message>
    <message>
        <source>DAT files (*.dat)</source>
        <translation>DAT ファイル (*.dat)</translation>
    </message>
    <message>
        <source>The program cannot accept the text &quot;%s&quot;.</source>
        <translation>テキスト &quot;%s&quot; は受け付けられません。</translation>
    </message>
    <message>
        <source>The disk image %s is write-protected; clear its write protection to change its sectors.</source>
        <translation>ディスクイメージ %s はライトプロテクトされています。セクターを変更するにはライトプロテクトを外してください。</translation>
    </message>
    <message>
        <source>The program cannot change a damaged disk image: %s</source>
        <translation>壊れたディスクイメージは変更できません: %s</translation>
    </message>
    <message>
        <source>Edit sector</source>
        <translation>セクターの編集</translation>
    </message>
    <message>
        <source>The disk image has no sector %d on track entry %d.</source>
        <translation>ディスクイメージにセクター %d はありません (トラックエントリー %d)。</translation>
    </message>
    <message>
        <source>The sector holds %d bytes, not %lld.</source>
        <translation>セクターは %d バイトです (%lld バイトではありません)。</translation>
    </message>
    <message>
        <source>The disk image has no sector &quot;%s&quot;.</source>
        <translation>ディスクイメージにセクター &quot;%s&quot; はありません。</translation>
    </message>
</context>
<context>
    <name>rtl::rtl</name>
    <message>
        <source>its folders are damaged</source>
        <translation>フォルダーが壊れています</translation>
    </message>
</context>
</TS>
