// Draws entry names from word lists, random letters and Japanese words, with extensions.
#include "tree_names.h"

#include <array>
#include <string_view>
#include <utility>

#include "tree_random.h"

namespace {

constexpr std::array<std::string_view, 40> kWords = {
    "report", "data",    "final", "draft",  "image",   "photo",   "notes",   "backup",
    "config", "main",    "index", "test",   "readme",  "setup",   "install", "invoice",
    "budget", "summary", "log",   "output", "input",   "Project", "Client",  "Archive",
    "temp",   "copy",    "new",   "old",    "version", "module",  "utils",   "helper",
    "core",   "View",    "Model", "scan",   "export",  "meeting", "plan",    "music"};

constexpr std::array<std::string_view, 30> kFolderWords = {
    "src",      "docs",         "images", "include",     "lib",       "bin",
    "build",    "assets",       "tests",  "tmp",         "Downloads", "Documents",
    "Pictures", "Music",        "Videos", "Desktop",     "projects",  "backup",
    "archive",  "node_modules", "vendor", "third_party", "resources", "New folder",
    "old",      "2019",         "2020",   "2021",        "Photos",    "work"};

// Common words in hiragana, katakana, kanji and half-width katakana, all held by code page 932.
// Several have a second byte in the ASCII letter range there (ア, ソ, 表, 能, 予), which a
// careless lower-casing would change.
constexpr std::array<std::string_view, 38> kJapaneseWords = {"データ",       "写真",
                                                             "資料",         "会議",
                                                             "報告書",       "ソフト",
                                                             "表計算",       "予定表",
                                                             "能力",         "設定",
                                                             "東京",         "大阪",
                                                             "日本語",       "新しいフォルダー",
                                                             "画像",         "音楽",
                                                             "ドキュメント", "ダウンロード",
                                                             "見積書",       "請求書",
                                                             "議事録",       "プロジェクト",
                                                             "バックアップ", "年度",
                                                             "月",           "第",
                                                             "版",           "ひらがな",
                                                             "カタカナ",     "さくら",
                                                             "テスト",       "アプリ",
                                                             "作業用",       "旧",
                                                             "最新",         "ｶﾀｶﾅ",
                                                             "ﾃﾞｰﾀ",         "めも"};

// Repeated entries weigh the draw; "" is a name without extension.
constexpr std::array<std::string_view, 48> kExtensions = {
    ".txt",  ".txt",      ".log",        ".jpg", ".jpg",    ".JPG", ".png",
    ".png",  ".cc",       ".h",          ".h",   ".c",      ".cpp", ".py",
    ".js",   ".js",       ".json",       ".xml", ".html",   ".css", ".pdf",
    ".docx", ".xlsx",     ".pptx",       ".zip", ".tar.gz", ".gz",  ".mp3",
    ".mp4",  ".mov",      ".dll",        ".exe", ".o",      ".md",  ".bak",
    ".jpeg", ".markdown", ".properties", ".TXT", ".csv",    ".ini", ".dat",
    ".tmp",  ".go",       ".rs",         "",     "",        ""};

constexpr std::array<std::string_view, 9> kDotFolders = {
    ".git", ".cache", ".config", ".vscode", ".svn", ".idea", ".local", ".npm", ".thumbnails"};

constexpr std::array<std::string_view, 8> kReserved = {"con",  "prn",  "aux",    "nul",
                                                       "com1", "lpt1", "clock$", "conin$"};

template <size_t N>
std::string_view Pick(TreeRandom& random, const std::array<std::string_view, N>& list) {
  return list[random.Below(N)];
}

std::string RandomLetters(TreeRandom& random, size_t length) {
  static constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
  std::string text;
  for (size_t i = 0; i < length; ++i) text += kLetters[random.Below(kLetters.size())];
  return text;
}

// One to `most` words joined by one separator style ("_", "-", " ", "." or none).
std::string JoinedWords(TreeRandom& random, int most) {
  static constexpr std::array<std::string_view, 5> kSeparators = {"_", "-", " ", ".", ""};
  std::string_view separator = Pick(random, kSeparators);
  int count = static_cast<int>(random.Between(1, most));
  std::string text(Pick(random, kWords));
  for (int i = 1; i < count; ++i) (text += separator) += Pick(random, kWords);
  return text;
}

// Joins two texts (GCC 12 warns falsely about `"." + std::string`).
std::string Concat(std::string_view first, std::string_view second) {
  std::string text;
  text.reserve(first.size() + second.size());
  return text.append(first).append(second);
}

std::string NumberText(TreeRandom& random, uint64_t below) {
  return std::to_string(random.Below(below));
}

std::string JapaneseName(TreeRandom& random) {
  std::string text(Pick(random, kJapaneseWords));
  if (random.Below(2)) text += Pick(random, kJapaneseWords);
  if (random.Below(3) == 0) text += NumberText(random, 100);
  if (random.Below(4) == 0) text = Concat(Concat(Pick(random, kWords), "_"), text);
  return text;
}

// A file name without extension, in one of several common styles.
std::string FileStem(TreeRandom& random) {
  uint64_t style = random.Below(100);
  if (style < 40) return JoinedWords(random, 3) + (random.Below(3) ? "" : NumberText(random, 1000));
  if (style < 58) return RandomLetters(random, random.Between(1, 12));
  if (style < 72) return Concat(random.Below(2) ? "IMG_" : "DSC", NumberText(random, 100000));
  if (style < 86) return RandomLetters(random, random.Between(13, 40));
  if (style < 92) return JoinedWords(random, 20);            // long names, up to about 150 bytes
  if (style < 96) return Concat(".", Pick(random, kWords));  // dot-files
  return JapaneseName(random);
}

std::string FolderStem(TreeRandom& random) {
  uint64_t style = random.Below(100);
  if (style < 3) return std::string(Pick(random, kDotFolders));
  if (style < 5) return Concat(".", RandomLetters(random, random.Between(2, 10)));
  if (style < 9) return JapaneseName(random);
  if (style < 45) return std::string(Pick(random, kFolderWords));
  if (style < 65) return JoinedWords(random, 2);
  if (style < 72)
    return Concat(Concat("v", NumberText(random, 10)), Concat(".", NumberText(random, 20)));
  return RandomLetters(random, random.Between(2, 16));
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cuts `name` to `max_bytes` at a character boundary, then drops a trailing dot or space.
void FitName(std::string& name, size_t max_bytes) {
  if (name.size() > max_bytes) {
    size_t end = max_bytes;
    while (end > 0 && IsUtf8Continuation(name[end])) --end;
    name.resize(end);
  }
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  if (name.empty()) name.assign(1, 'x');
}

// Windows refuses device names as a name's stem ("con.txt" too), whatever the case.
void AvoidReservedName(std::string& name) {
  std::string stem = name.substr(0, name.find('.'));
  for (char& c : stem) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  for (std::string_view reserved : kReserved) {
    if (stem == reserved) name.insert(name.begin(), '_');
  }
}

std::string FinishName(std::string stem, std::string_view extension, size_t max_bytes) {
  if (stem.size() + extension.size() <= max_bytes) {
    stem += extension;
  } else if (extension.size() < max_bytes) {
    FitName(stem, max_bytes - extension.size());
    stem += extension;
  }
  AvoidReservedName(stem);
  FitName(stem, max_bytes);
  return stem;
}

}  // namespace

std::string MakeFolderName(TreeRandom& random, size_t max_bytes, bool may_start_with_dot) {
  std::string stem = FolderStem(random);
  if (!may_start_with_dot && stem[0] == '.') stem.erase(stem.begin());
  return FinishName(std::move(stem), "", max_bytes);
}

std::string MakeFileName(TreeRandom& random, size_t max_bytes) {
  std::string stem = FileStem(random);
  std::string_view extension = stem[0] == '.' ? "" : Pick(random, kExtensions);
  return FinishName(std::move(stem), extension, max_bytes);
}

bool IsNonAscii(const std::string& name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}
