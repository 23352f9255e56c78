// The one interface between the program and its operating system. The core calls nothing else;
// the build links the POSIX or the Win32 implementation, and the tests a fake one.
//
// Texts crossing this interface are code page 932 byte strings, as on a Japanese Windows, or
// UTF-8 in a UTF-8 chart (SetUtf8Texts): "shown" texts below are in the encoding set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/path_text.h"
#include "common/tree_item.h"
#include "platform/walk_rules.h"

// What an export of the scan tells of an entry: the entry itself as the system keeps it.
struct EntryOwnInfo {
  // The name's bytes as the system keeps them (UTF-8 on Windows); the charted path for the root.
  std::string_view NativeName;
  bool HasInfo = false;    // the fields below were read
  bool IsRegular = false;  // a regular file (not a link, device, fifo or socket)
  uint64_t Size = 0;
  uint64_t AllocatedBytes = 0;
  FolderIdentity FileId;     // device and inode (volume and file index); 0 where unknown
  uint64_t LinkCount = 0;    // hard links; 0 where unknown
  int64_t WriteSeconds = 0;  // last write, seconds since 1970-01-01 UTC
};

// One entry of a folder as the enumeration returned it.
struct FolderEntry {
  std::string_view Name;  // as shown, in the chart's encoding; never holds a separator
  bool IsFolder = false;  // a folder, or a link to one
  bool IsLink = false;    // a symbolic link (on Windows a link or junction)
  bool HasInfo = false;   // Size, AllocatedBytes, WriteTime and the link fields were read
  // Has more hard links than this one (never a folder): FileId tells which ones are alike.
  bool HasOtherNames = false;
  uint64_t Size = 0;            // the whole size in bytes; a file link's own, not its target's
  uint64_t AllocatedBytes = 0;  // the space the entry takes on its disk
  FolderIdentity FileId;        // device and inode (volume and file index), with HasOtherNames
  FileTime WriteTime;           // last write, as a local file time
  // Where a link points, as the link holds it, shown in the chart's encoding; read only with
  // WalkRules::NeedLinkTargets.
  std::string_view LinkTarget;
  EntryKind Kind = KindPlain;  // read when WalkRules::KindsWanted, else KindPlain
  // Read only with WalkRules::OwnInfoWanted: the entry itself, never a link's target.
  EntryOwnInfo Own;
};

// Walks a folder hierarchy one level at a time. The walk is a stack of entered folders;
// the listing of every entered folder stays valid until that folder is left.
class FolderWalker {
 public:
  virtual ~FolderWalker() = default;

  // Enters the folder to chart, `path` as the command line settled it: opened by its native
  // form, shown (on the progress line) by its shown one. False when it cannot be opened; nothing
  // is entered then.
  virtual bool EnterRoot(const PathText& path) = 0;

  // Enters subfolder `index` of the current folder's listing. False when it cannot be opened,
  // when the loop rules keep it out (LoopRules: a link loop, or a web of links), or when the
  // walk rules or the platform keep it out (on Linux, a kernel file system such as /proc);
  // nothing is entered then, and the scan shows it empty.
  virtual bool EnterSubfolder(size_t index) = 0;

  // Reads the current folder's entries in enumeration order; with `with_info` each entry's
  // size and time too, where they can be read. False, with no entries, when it cannot be listed.
  virtual bool ListFolder(bool with_info) = 0;

  // Sets the rules of the walk, before EnterRoot; they hold until set again. A new walker keeps
  // the defaults of WalkRules.
  virtual void SetWalkRules(const WalkRules& rules) = 0;

  // The charted folder's own entry as EnterRoot found it (no name): its size and allocation
  // where they could be read (HasInfo), for the accounting that counts a folder's own space.
  // A walker that reads none tells an entry without information.
  virtual const FolderEntry& RootEntry() const {
    static const FolderEntry kUnread;
    return kUnread;
  }

  // The last listing of the current folder (empty before ListFolder or after a failure).
  virtual const std::vector<FolderEntry>& Entries() const = 0;

  // Leaves the current folder; its listing is released.
  virtual void LeaveFolder() = 0;

  // Why the last EnterRoot, EnterSubfolder or ListFolder that returned false could not open or
  // read its folder, in the system's words (strerror); empty when the folder was kept out on
  // purpose (the rules above), and where the platform does not say.
  virtual std::string FailureText() const { return {}; }

  // How many files the current folder held beyond Entries(): those a listing without files
  // (WalkRules::FilesWanted) counted but made no entries for.
  virtual size_t LeftOutFiles() const = 0;

  // The folders and files read so far, where threads read ahead of the walk (WalkRules::Threads)
  // and so read more than the walk has entered. False where the walk reads each folder itself.
  virtual bool CountListed(uint64_t& /*folders*/, uint64_t& /*files*/) const { return false; }
};

// Standard error where it is a terminal (a console on Windows): the screen of a long scan's
// progress line. The platform only answers for the screen and writes and erases the line's
// bytes; what the line says and when it is drawn is decided above it (output/progress_line.h).
class ProgressScreen {
 public:
  // To the line's start, then clear to its end: what erases the line, and what a line is drawn
  // between so that it replaces the one before.
  static constexpr std::string_view kEraseLine = "\r\x1b[K";

  virtual ~ProgressScreen() = default;

  // Milliseconds of a clock that never goes back.
  virtual int64_t NowMilliseconds() = 0;
  // False while the run is in the background of its terminal, where nothing may be drawn.
  virtual bool IsForeground() = 0;
  // The screen's width in columns; 0 when it does not say.
  virtual size_t Columns() = 0;
  // Writes `line` (shown text in the encoding set, with its control bytes) at once, as the screen
  // shows text. From then on the line is on the screen: the platform erases it before its next
  // line of output, and a signal that ends the run erases it first.
  virtual void Draw(std::string_view line) = 0;
  // Takes a drawn line off the screen, if it is there. In the background it is only forgotten:
  // whatever the terminal shows there now is no longer the program's.
  virtual void Erase() = 0;
};

// A file being written whole, in parts, as the platform's CreateOutputFile made it.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Appends `bytes`; a failure is kept for Finish.
  virtual void Write(std::string_view bytes) = 0;
  // Ends the file: 0 when every byte was written, -1 otherwise, with FailureText telling why.
  virtual int Finish() = 0;
  virtual std::string FailureText() const = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Mode
  // True in the classic mode: every byte as a Japanese Windows writes it (code page 932, CR LF,
  // messages on standard output, difficulties silent). The Windows program is always classic; the
  // Linux program is classic when its locale's charset is code page 932 (Shift_JIS), and in its
  // Linux mode otherwise: the locale's encoding, LF line ends, messages on standard error.
  virtual bool IsClassicMode() { return true; }
  // The program's English text `english` (its catalogs' key) in the user's language, in the
  // encoding set; asked only out of the classic mode, which shows its own fixed texts.
  virtual std::string Translate(std::string_view english) { return FromUtf8(english); }
  // A fixed text as the mode shows it: `classic` (UTF-8) in the classic mode, else `english` in
  // the user's language.
  std::string ModeText(std::string_view classic, std::string_view english) {
    return IsClassicMode() ? FromUtf8(classic) : Translate(english);
  }

  // --- Texts
  // True when the chart is UTF-8 unless the command line says otherwise: standard output shows
  // UTF-8 (a terminal whose charset is UTF-8). A platform starts with its texts in this encoding.
  virtual bool IsUtf8ByDefault() { return false; }
  // Sets the encoding of every shown text from now on (names, paths, arguments, FromUtf8, the
  // output): UTF-8 when `is_utf8`, code page 932 otherwise.
  virtual void SetUtf8Texts(bool is_utf8) = 0;
  // The text whose native form is `native`, with its shown form in the encoding set: UTF-8 shows
  // every character (a byte that is no UTF-8 as U+FFFD), code page 932 a character it lacks as
  // "?", and both a control character as "?". HasLostCharacters is set when such a "?" stands in
  // the shown form.
  virtual PathText TextFromNative(std::string_view native) = 0;
  // From now on the names of folder entries and link targets are the system's bytes unchanged,
  // where those are bytes (POSIX): no "?" for a control character, no U+FFFD for a byte that is
  // no UTF-8, for an output that writes every byte in a form of its own (the JSON document).
  // Where names are UTF-16 (Windows), their UTF-8 shown form already keeps every character.
  virtual void KeepNativeNames() {}
  // Turns a fixed UTF-8 text of the program into the encoding set (code page 932 bytes, or
  // itself).
  virtual std::string FromUtf8(std::string_view utf8) = 0;
  // Lower-cases shown text in place without changing its length: in code page 932 never
  // touching the second byte of a character; in UTF-8 only characters whose lower case takes as
  // many bytes.
  virtual void LowerCase(char* text, size_t length) = 0;
  // The columns a shown UTF-8 text takes on a screen (an East Asian wide character or an emoji
  // two). Asked only in a UTF-8 chart: a code page 932 text takes as many columns as bytes.
  virtual size_t DisplayWidth(std::string_view text) { return text.size(); }

  // --- Command line and current directory
  // Every path text below carries its native form, which the platform alone reads: the core
  // takes it from the platform and hands it back untouched (its bytes are UTF-16 code units on
  // Windows).
  // The process's arguments, element 0 included: each as code page 932 text and as the system
  // gave it, marked where it lost characters (TextFromNative).
  virtual std::vector<PathText> ReadArguments(int argc, char** argv) = 0;
  // The current directory, shown whole however long it is and opened by a native form
  // that reaches it at any length; "." where it cannot be read.
  virtual PathText ReadCurrentFolder() = 0;
  // 0 when `folder` became the current directory, -1 otherwise.
  virtual int ChangeCurrentFolder(const PathText& folder) = 0;
  virtual bool DirectoryExists(const PathText& path) = 0;
  // True where "/" begins an absolute path, as on POSIX; the parser then takes an argument that
  // is no option keyword for a path when it looks like one. Never on Windows, where "/" always
  // starts an option.
  virtual bool SlashStartsPath() = 0;

  // --- Folder scan
  virtual std::unique_ptr<FolderWalker> NewFolderWalker() = 0;
  // The screen of the progress line; null where standard error is no terminal or console.
  virtual ProgressScreen* GetProgressScreen() { return nullptr; }
  // What a shown path puts between its names: "\" on Windows, "/" on POSIX.
  virtual char PathSeparator() { return '\\'; }

  // --- Saved scans
  // Opens the file `name` for reading in binary, standard input for "-"; null when it cannot be
  // opened. The caller closes what is not standard input.
  virtual std::FILE* OpenInputFile(const PathText& name);

  // --- Times
  // The local file time of `seconds` since 1970-01-01 UTC, as a listing gives a file's write
  // time. The default takes local time for UTC.
  virtual FileTime LocalFileTimeFromUnix(int64_t seconds);
  // The DOS date and time words of a local file time; -1 outside 1980 to 2107.
  virtual int FileTimeToDosDateTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time) = 0;
  // The user's date and time separators ("/" and ":" where the settings give none).
  virtual void GetDateTimeSeparators(std::string& date, std::string& time) = 0;

  // --- Output
  // A new file named `name` (standard output for "-"), emptied, for output written in parts
  // with Write and ended with Finish; null, with OutputFileFailure telling why, when it cannot
  // be made.
  virtual std::unique_ptr<OutputFile> CreateOutputFile(const PathText& name) = 0;
  // Why the last CreateOutputFile returned null, in the system's words.
  virtual std::string OutputFileFailure() { return {}; }
  // Seconds since 1970-01-01 UTC now: when an export was made.
  virtual int64_t NowUnixSeconds() { return 0; }
  // Writes one whole line, its CR LF included, to standard error at once, shown as standard
  // output shows its lines. Kept for the one failure the run reports there (memory ran out).
  virtual void WriteErrorLine(std::string_view line) = 0;
  // True when standard output is a screen that shows colour sequences: a terminal on POSIX; on
  // Windows a console that accepts virtual terminal sequences, which this call turns on.
  virtual bool IsColorScreen() { return false; }
  // The value of environment variable `name` as the system gives it; empty when it is not set.
  virtual std::string ReadEnvironment(std::string_view /*name*/) { return {}; }
  // From now on a line that finds standard output closed (a pipe whose reader has gone) ends the
  // run at once, as the system ends a program that writes to a closed pipe: for a chart that has
  // nothing left to do once nobody reads it. Where the platform does not tell, the run goes on.
  virtual void EndRunWhenOutputCloses() {}
  // Writes one whole line, its CR LF included, to standard output at once. Errors are ignored.
  // In a UTF-8 chart a platform whose lines end with LF alone (POSIX) leaves the CR out.
  virtual void WriteLine(std::string_view line) = 0;
  // Appends `line` to the file named `name`, creating it. Silent when it cannot be opened. Out
  // of the classic mode the line's CR LF becomes LF.
  virtual void AppendTotalFile(const PathText& name, std::string_view line) = 0;
  // Why the last AppendTotalFile could not append its whole line, in the system's words
  // (strerror); empty when it did, and where the platform does not say.
  virtual std::string TotalFileFailure() { return {}; }
};

// The platform the program runs on (POSIX or Win32, chosen by the build).
std::unique_ptr<Platform> NewSystemPlatform();

// From now on, memory running out anywhere ends the run at once, as the driver's catch would:
// the message on standard error, status 2. Called first of all, before anything is allocated.
// Where the platform does nothing here, the exception reaches the driver's catch.
void EndRunWhenMemoryRunsOut();

// The DOS date and time words of a local file time, computed by the calendar; -1 outside the
// DOS range (1980-01-01 to 2107-12-31). Odd seconds are dropped.
int DosDateTimeFromFileTime(FileTime local, uint16_t& dos_date, uint16_t& dos_time);
