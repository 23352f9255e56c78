// Every fixed text of the program in one place, readable UTF-8: messages, banner and help, the
// words of the chart's folder summaries and the labels of the progress line. They reach the user
// only through the platform's converter (Platform::FromUtf8), never through a table of ours.
#pragma once

#include <array>
#include <string_view>

// Failure messages of the command-line parser; the offending text follows with no blank.
inline constexpr std::string_view kNoOutputFileMessage = "出力先を指定して下さい：";
inline constexpr std::string_view kInvalidOptionMessage = "無効なオプションです：";
inline constexpr std::string_view kInvalidFolderMessage = "無効なフォルダです：";
// A saved scan that cannot be charted; the file's name, then what is wrong with it, follow.
inline constexpr std::string_view kInvalidImportMessage = "保存したスキャンを読めません：";
// The one line ever written on standard error: memory ran out and the run stopped.
inline constexpr std::string_view kOutOfMemoryMessage = "メモリが不足しています";
// The same in code page 932 bytes, the one text kept so: memory can run out before any converter
// is open, and the line must still be written. A unit test holds it to the converter's bytes.
inline constexpr std::string_view kOutOfMemoryMessageCp932 =
    "\x83\x81\x83\x82\x83\x8A\x82\xAA\x95\x73\x91\xAB\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7";

// The Linux mode's messages on standard error, each after the program's name and ": ", in the
// style of the GNU tools; each "%s" takes the next value (an argument, a path, the system's
// reason), in order.
inline constexpr std::string_view kProgramName = "quovrel";
inline constexpr std::string_view kInvalidOptionText = "invalid option '%s'";
inline constexpr std::string_view kNoOutputFileText = "option '%s' needs a file name";
inline constexpr std::string_view kInvalidFolderText = "cannot chart '%s': no such folder";
inline constexpr std::string_view kTryHelpText = "Try 'quovrel --help' for more information.";
inline constexpr std::string_view kUnreadFolderText = "cannot read folder '%s': %s";
inline constexpr std::string_view kUnwrittenTotalFileText = "cannot write total file '%s': %s";
inline constexpr std::string_view kInvalidImportText = "cannot import '%s': %s";
inline constexpr std::string_view kUnwrittenExportText = "cannot write export file '%s': %s";
// The classic mode's line for the same, the file's name after it.
inline constexpr std::string_view kUnwrittenExportMessage = "エクスポート先ファイルに書けません：";

// The version banner: title, four blanks and version; then the notice; then an empty line.
inline constexpr std::string_view kProductTitle = "Quovrelant";
inline constexpr std::string_view kVersionText = "Ver 2.03";
inline constexpr std::string_view kNoticeText = "フォルダ構造を図式表示するコンソールプログラム";
inline constexpr std::string_view kNoticeTextEnglish = "A console program that charts folder structures";

// The help text, one element per line; "" is an empty line. The full-width characters are
// part of the text: U+3000 opening each description, "／", "（", "）", "【", "】", "※".
// Each line stays whole, as the user reads it, so the formatter is kept away.
// clang-format off
inline constexpr std::array<std::string_view, 43> kHelpLines = {
    "【 機能 】ドライブやパスのフォルダ構造を図式表示します。",
    "【 書式 】Quovrel [<ドライブ>:][<パス>] [<オプション>]",
    "",
    "=== オプションの説明 ===",
    "",
    "/F+ (/F), /F-",
    "　各フォルダのファイル名を表示します(/F+)／表示しません(/F-)。",
    "",
    "/FileFirst (/IF), /FolderFirst (/OF)",
    "　ファイルを先に(/FileFirst)／フォルダを先に(/FolderFirst)表示します。",
    "",
    "/Size+ (/Size), /Size-",
    "　ファイルのサイズを表示します(/Size+)／表示しません(/Size-)。",
    "",
    "/Time+ (/Time), /Time-",
    "　ファイルの更新日時を表示します(/Time+)／表示しません(/Time-)。",
    "",
    "/Sum+ (/Sum), /Sum-",
    "　各フォルダのファイルの合計サイズを表示します(/Sum+)／表示しません(/Sum-)。",
    "",
    "/Total+ (/Total), /Total-",
    "　各フォルダのファイルの累計サイズ（サブフォルダを含む）を表示します(/Total+)／表示しません(/Total-)。",
    "",
    "/OutputTotal+=<出力先ファイル名> (/OutputTotal), /OutputTotal-",
    "　全フォルダのファイルの累計サイズをファイルに出力します(/OutputTotal+)／出力しません(/OutputTotal-)。",
    "",
    "/NoSort, /SortByName (/SN), /SortByExt (/SE), /SortBySize (/SS), /SortByTime (/ST)",
    "　名前順(/SortByName)／拡張子順(/SortByExt)／サイズ順(/SortBySize)／更新日時順(/SortByTime)にソートします。/NoSortではソートしません。/SortBySizeでは、フォルダは累計サイズ順に並びます。",
    "",
    "/Ascend, /Descend",
    "　昇順(/Ascend)／降順(/Descend)にソートします。",
    "",
    "/A+ (/A), /A-",
    "　1 バイト文字を使ってツリー表示する機能を有効(/A+)／無効(/A-)にします。",
    "",
    "/Verbose+ (/Verbose, /V), /Verbose-",
    "　バージョン情報を表示します(/Verbose+)／表示しません(/Verbose-)。/Verbose+のみを指定した場合、表示後直ちに終了します。",
    "",
    "/Help (/H, /?)",
    "　このヘルプを表示します。",
    "",
    "※ オプションに大文字小文字の区別はありません。",
    "※ / の代わりに - を使うこともできます。",
};
// clang-format on

// The block that "--help" adds after the help text: the options beyond the classic ones, in the
// help text's own style. Like the help text, it ends without an empty line.
// clang-format off
inline constexpr std::array<std::string_view, 60> kExtensionHelpLines = {
    "",
    "=== 拡張オプションの説明 ===",
    "",
    "/Depth=<深さ> (/L=<深さ>), /Depth-",
    "　ツリーを指定した深さまで表示します(/Depth=<深さ>)／深さを制限しません(/Depth-)。ルートの直下が深さ 1 です。合計、累計、サイズ順と出力先ファイルには、より深いフォルダも含みます。",
    "",
    "/DotFolders+ (/DotFolders), /DotFolders-",
    "　名前がピリオドで始まるフォルダを表示して集計します(/DotFolders+)／表示しません(/DotFolders-)。",
    "",
    "/Exclude=<パターン> (/X=<パターン>), /Exclude-",
    "　名前がパターンに一致するファイルとフォルダを、その中身とともに除外します(/Exclude=<パターン>)／指定したパターンをすべて取り消します(/Exclude-)。パターンには *、?、[...] が使えます。何度でも指定でき、すべてのパターンが適用されます。",
    "",
    "/Human+ (/Human), /Human-",
    "　サイズと合計を 1,024 単位（K、M、G など）で表示します(/Human+)／バイト単位で表示します(/Human-)。",
    "",
    "/DiskUsage+ (/DiskUsage, /DU), /DiskUsage-",
    "　ディスク上の使用量で集計します(/DiskUsage+)／名前ごとにファイルのサイズで集計します(/DiskUsage-)。/DiskUsage+ では、ハードリンクで名前が複数あるファイルを一度だけ数え、フォルダとリンク自体の使用量も含めます。ピリオドで始まるフォルダも集計し、フォルダへのリンクはたどりません（後に /Links+ を指定すると、各フォルダを一度だけたどります）。",
    "",
    "/Apparent+ (/Apparent), /Apparent-",
    "　/DiskUsage+ で、使用量の代わりに見かけのサイズで集計します(/Apparent+)／使用量で集計します(/Apparent-)。",
    "",
    "/Json+ (/Json, --json), /Json-",
    "　ツリーを UTF-8 の JSON 文書として出力します(/Json+)／行で出力します(/Json-)。内容はほかのオプションに従います。UTF-8 として正しくない名前は、そのバイト列を \"name_bytes\" に残します。キーの説明はマニュアルページにあります。",
    "",
    "/Import=<ファイル>, --import=<ファイル>, /Import-",
    "　フォルダの代わりに、<ファイル> に保存したスキャン（JSON エクスポート形式のバージョン 1.0 から 1.2。- は標準入力）を、ほかのオプションのとおりに表示します(/Import=<ファイル>)／フォルダを表示します(/Import-)。ルートの行にはスキャンしたフォルダを表示し、ファイルにない時刻は空欄にします。保存したスキャンでないファイルは、何がどこで違うかを示して、何も表示しません。",
    "",
    "/Export=<ファイル>, /Export-",
    "　走査結果をディスク使用量ツールの JSON エクスポート形式（バージョン 1.2）でファイルにも書き出します(/Export=<ファイル>)／書き出しません(/Export-)。- を指定すると、図式の代わりに標準出力へ書き出します。図式の表示にかかわらず、フォルダ以下のすべての項目をそれぞれのサイズとともに含めます。/Exclude と /DotFolders- で除く項目は除外として記し、リンクはリンクとして書きます。複数のフォルダを指定したときは、最後のフォルダの走査結果です。",
    "",
    "/UTF8+ (/UTF8), /UTF8-",
    "　UTF-8 で出力します(/UTF8+)／コードページ 932 で出力します(/UTF8-)。標準出力が UTF-8 の端末のときは /UTF8+ が既定です。",
    "",
    "/OneFileSystem+ (/OneFileSystem), /OneFileSystem-",
    "　表示するフォルダと同じファイルシステムのフォルダだけをたどります(/OneFileSystem+)／すべてのファイルシステムをたどります(/OneFileSystem-)。",
    "",
    "/Links+ (/Links), /Links-",
    "　フォルダへのリンクをたどります(/Links+)／たどりません(/Links-)。",
    "",
    "/Threads=<数> (/J=<数>, --threads=<数>), /Threads-",
    "　フォルダを <数> 個のスレッドで並行して読みます(/Threads=<数>)／CPU のコア数に応じた数（コアあたり 8 個、最大 64 個。フォルダがキャッシュにある間はコア数だけが同時に読みます）で読みます(/Threads-)。どの数でも結果は同じです。Linux モードでは -j <数> も使えます。Windows 版は 1 個のスレッドで読みます。",
    "",
    "/Color+ (/Color), /Color-, --color=<auto|always|never>",
    "　ファイル名とフォルダ名を種類に応じて色付けします(/Color+, --color=always)／色付けしません(/Color-, --color=never)。既定の --color=auto では、UTF-8 で端末に出力するときだけ色付けします。ただし環境変数 NO_COLOR が設定されているときと TERM が dumb のときは色付けしません。色は環境変数 LS_COLORS に従い、設定されていなければ既定の色を使います。",
    "",
    "--files, --size, --time, --sum, --total, --ascii, --reverse, --files-first, --folders-first, --human-readable, --dot-folders, --one-file-system, --links, --no-links, --disk-usage, --apparent-size",
    "　それぞれ /F+、/Size+、/Time+、/Sum+、/Total+、/A+、/Descend、/FileFirst、/FolderFirst、/Human+、/DotFolders+、/OneFileSystem+、/Links+、/Links-、/DiskUsage+、/Apparent+ と同じです。長いオプションは、ほかと区別できる範囲で省略できます（--hu など）。",
    "",
    "--sort=<name|extension|size|time|none>, --depth=<深さ> (--max-depth=<深さ>), --exclude=<パターン>, --output-total=<ファイル>, --export=<ファイル>, --charset=<utf-8|cp932>",
    "　それぞれ /SN、/SE、/SS、/ST、/NoSort、/Depth=<深さ>、/Exclude=<パターン>、/OutputTotal=<ファイル>、/Export=<ファイル>、/UTF8+、/UTF8- と同じです。値は --depth 2 のように次の引数で指定することもできます。",
    "",
    "--help",
    "　このヘルプと拡張オプションの説明を表示します。",
    "",
    "--version",
    "　バージョン情報を表示して終了します。",
    "",
    "--",
    "　オプションの終わりを示します。以降の引数は、/ や - で始まっていてもフォルダとして扱います。",
};
// clang-format on

// The help of the Linux mode: English texts, each block one key of the catalogs (po/ja.po gives
// the classic help and extensions' block byte for byte), written line by line. The help text
// answers "/?" and "--help"; "--help" adds the extensions and the modes.
// clang-format off
inline constexpr std::string_view kHelpText =
    "Usage: quovrel [FOLDER]... [OPTION]...\n"
    "Charts the folder structure of each FOLDER (the current folder by default) as a text tree.\n"
    "\n"
    "=== Options ===\n"
    "\n"
    "/F+ (/F), /F-\n"
    "  Show (/F+) or hide (/F-) the files of each folder.\n"
    "\n"
    "/FileFirst (/IF), /FolderFirst (/OF)\n"
    "  Show the files before the folders (/FileFirst) or the folders first (/FolderFirst).\n"
    "\n"
    "/Size+ (/Size), /Size-\n"
    "  Show (/Size+) or hide (/Size-) each file's size.\n"
    "\n"
    "/Time+ (/Time), /Time-\n"
    "  Show (/Time+) or hide (/Time-) each file's last-write time.\n"
    "\n"
    "/Sum+ (/Sum), /Sum-\n"
    "  Show (/Sum+) or hide (/Sum-) the count and size of each folder's own files.\n"
    "\n"
    "/Total+ (/Total), /Total-\n"
    "  Show (/Total+) or hide (/Total-) each folder's total, its subfolders included.\n"
    "\n"
    "/OutputTotal+=<file> (/OutputTotal), /OutputTotal-\n"
    "  Append (/OutputTotal+) or do not append (/OutputTotal-) the grand total in bytes to <file>.\n"
    "\n"
    "/NoSort, /SortByName (/SN), /SortByExt (/SE), /SortBySize (/SS), /SortByTime (/ST)\n"
    "  Sort by name, extension, size or last-write time; /NoSort keeps the folder's own order. /SortBySize orders folders by their totals.\n"
    "\n"
    "/Ascend, /Descend\n"
    "  Sort in ascending (/Ascend) or descending (/Descend) order.\n"
    "\n"
    "/A+ (/A), /A-\n"
    "  Draw the tree with ASCII characters (/A+) or with box-drawing characters (/A-).\n"
    "\n"
    "/Verbose+ (/Verbose, /V), /Verbose-\n"
    "  Show (/Verbose+) or hide (/Verbose-) the version banner. /Verbose+ alone shows it and ends.\n"
    "\n"
    "/Help (/H, /?)\n"
    "  Show this help.\n"
    "\n"
    "* Options are not case-sensitive.\n"
    "* - may be used instead of /.";
inline constexpr std::string_view kExtensionHelpText =
    "\n"
    "=== Extended options ===\n"
    "\n"
    "/Depth=<depth> (/L=<depth>), /Depth-\n"
    "  Chart down to <depth> (/Depth=<depth>) or to any depth (/Depth-). The root's children are at depth 1. Sums, totals, the size order and the total file still count deeper folders.\n"
    "\n"
    "/DotFolders+ (/DotFolders), /DotFolders-\n"
    "  Chart and count (/DotFolders+) or leave out (/DotFolders-) the folders whose names begin with a full stop.\n"
    "\n"
    "/Exclude=<pattern> (/X=<pattern>), /Exclude-\n"
    "  Leave out the files and folders whose names match <pattern>, with all they hold (/Exclude=<pattern>), or forget every pattern given (/Exclude-). Patterns may hold *, ? and [...]; every pattern given applies.\n"
    "\n"
    "/Human+ (/Human), /Human-\n"
    "  Show sizes and sums in units of 1,024 (K, M, G and so on) (/Human+) or in bytes (/Human-).\n"
    "\n"
    "/DiskUsage+ (/DiskUsage, /DU), /DiskUsage-\n"
    "  Count the space the files take on the disk (/DiskUsage+) or each name's file size (/DiskUsage-). /DiskUsage+ counts a file with several hard links once, at its first place in the chart, and the space of the folders and links themselves; it counts the folders whose names begin with a full stop and does not follow links to folders (a later /Links+ follows each folder once).\n"
    "\n"
    "/Apparent+ (/Apparent), /Apparent-\n"
    "  With /DiskUsage+, count the files' apparent sizes instead of their space on the disk (/Apparent+), or their space (/Apparent-).\n"
    "\n"
    "/Json+ (/Json, --json), /Json-\n"
    "  Write the chart as one JSON document in UTF-8 (/Json+) or as lines (/Json-). The other options choose what it holds; a name that is not valid UTF-8 keeps its bytes in \"name_bytes\". The manual page describes its keys.\n"
    "\n"
    "/Import=<file>, --import=<file>, /Import-\n"
    "  Chart the saved scan in <file> (the JSON export format, versions 1.0 to 1.2, as another program or /Export wrote it; - reads standard input) instead of a folder, with every other option (/Import=<file>), or chart a folder (/Import-). The root line names the folder the scan was made of; times the file lacks are left blank. A file that is no such scan is refused whole, saying what is wrong and where.\n"
    "\n"
    "/Export=<file>, /Export-\n"
    "  Also write the scan to <file> in the JSON export format of disk-usage tools, version 1.2 (/Export=<file>), or write none (/Export-). With - it goes to standard output, in place of the chart. It holds every entry below the folder with its own sizes, whatever the chart shows: the entries that /Exclude and /DotFolders- leave out are marked as excluded, and links are written as links. With several folders, the last one's scan.\n"
    "\n"
    "/UTF8+ (/UTF8), /UTF8-\n"
    "  Write UTF-8 (/UTF8+) or code page 932 (/UTF8-). /UTF8+ is the default on a terminal whose charset is UTF-8.\n"
    "\n"
    "/OneFileSystem+ (/OneFileSystem), /OneFileSystem-\n"
    "  Walk only the folders on the charted folder's file system (/OneFileSystem+) or on every file system (/OneFileSystem-).\n"
    "\n"
    "/Links+ (/Links), /Links-\n"
    "  Follow (/Links+) or do not follow (/Links-) links to folders.\n"
    "\n"
    "/Threads=<count> (/J=<count>, --threads=<count>), /Threads-\n"
    "  Read folders with <count> threads at once (/Threads=<count>) or with a number chosen from the processor's cores, eight per core, up to 64, as many of them reading at once as there are cores while the folders come from the cache (/Threads-). The chart is the same with any count. In the Linux mode -j <count> works too. The Windows program reads with one thread.\n"
    "\n"
    "/Color+ (/Color), /Color-, --color=<auto|always|never>\n"
    "  Colour the names of files and folders by their kind (/Color+, --color=always) or not (/Color-, --color=never). The default, --color=auto, colours only a UTF-8 chart on a terminal, and not when the environment variable NO_COLOR is set or TERM is dumb. The colours follow the environment variable LS_COLORS, and default colours where it is not set.\n"
    "\n"
    "--files, --size, --time, --sum, --total, --ascii, --reverse, --files-first, --folders-first, --human-readable, --dot-folders, --one-file-system, --links, --no-links, --disk-usage, --apparent-size\n"
    "  The same as /F+, /Size+, /Time+, /Sum+, /Total+, /A+, /Descend, /FileFirst, /FolderFirst, /Human+, /DotFolders+, /OneFileSystem+, /Links+, /Links-, /DiskUsage+ and /Apparent+. A long option may be shortened as long as it stays unambiguous (--hu, say).\n"
    "\n"
    "--sort=<name|extension|size|time|none>, --depth=<depth> (--max-depth=<depth>), --exclude=<pattern>, --output-total=<file>, --export=<file>, --charset=<utf-8|cp932>\n"
    "  The same as /SN, /SE, /SS, /ST, /NoSort, /Depth=<depth>, /Exclude=<pattern>, /OutputTotal=<file>, /Export=<file>, /UTF8+ and /UTF8-. The value may also come as the next argument, as in --depth 2.\n"
    "\n"
    "--help\n"
    "  Show this help and the extended options.\n"
    "\n"
    "--version\n"
    "  Show the version banner and end.\n"
    "\n"
    "--\n"
    "  End the options: every later argument is a folder, even one that begins with / or -.";
inline constexpr std::string_view kModesHelpText =
    "\n"
    "=== Modes ===\n"
    "\n"
    "The locale's charset chooses the mode. Where it is Shift_JIS or code page 932 (such as ja_JP.SJIS), quovrel runs in its classic mode: code page 932, CR LF, Japanese texts and messages on standard output, as on a Japanese Windows.\n"
    "Under every other locale it runs in its Linux mode: the chart in the locale's charset (UTF-8 for C and POSIX too) with LF line ends, texts in the language of LC_MESSAGES, messages and warnings on standard error, status 1 when a folder or the total file could not be read or written, and every folder named charted in turn.\n"
    "/UTF8+ and /UTF8- choose the chart's encoding in both modes.";
// clang-format on

// The words of a folder's summary in the chart, around its counts and sums:
// "（3 ファイル 1,234 バイト、累計 10 ファイル 56,789 バイト）".
inline constexpr std::string_view kSummaryOpen = "（";
inline constexpr std::string_view kSummaryFiles = " ファイル ";
inline constexpr std::string_view kSummaryBytes = " バイト";
inline constexpr std::string_view kSummaryBetween = "、";
inline constexpr std::string_view kSummaryTotal = "累計 ";
inline constexpr std::string_view kSummaryClose = "）";
// The same words in English, the catalogs' keys in the Linux mode:
// " (3 files 1,234 bytes, total 10 files 56,789 bytes)".
inline constexpr std::string_view kSummaryOpenText = " (";
inline constexpr std::string_view kSummaryFilesText = " files ";
inline constexpr std::string_view kSummaryOneFileText = " file ";  // after a count of 1
inline constexpr std::string_view kSummaryBytesText = " bytes";
inline constexpr std::string_view kSummaryOneByteText = " byte";  // after a sum of 1
inline constexpr std::string_view kSummaryBetweenText = ", ";
inline constexpr std::string_view kSummaryTotalText = "total ";
inline constexpr std::string_view kSummaryCloseText = ")";

// The labels of the progress line of a long scan, each before its count:
// "フォルダ 1,234  ファイル 56,789  /usr/share".
inline constexpr std::string_view kProgressFolders = "フォルダ ";
inline constexpr std::string_view kProgressFiles = "ファイル ";
// The same in English, the catalogs' keys in the Linux mode.
inline constexpr std::string_view kProgressFoldersText = "folders ";
inline constexpr std::string_view kProgressFilesText = "files ";
