// Folders listed ahead of the walk by worker threads, so that the walk itself only takes
// listings that are ready.
//
// The walk keeps every decision (which folder it enters, the loop rules, the order) on its own
// thread, in the order of a walk with one thread; the workers only read. Each folder the walk
// lists offers its subfolders (not links: the loop rules judge those) to the workers, and each
// worker that lists one offers that one's subfolders the same way. The folders offered are kept
// in the order the walk will want them (a folder's subfolders take its place, before everything
// offered after it), and the workers read the first ones: the walk finds the next folder it
// enters read, or being read, rather than left behind while the workers read far ahead. A worker
// opens a subfolder against its parent's descriptor, which the parent's node holds until the last
// of its subfolders has been opened, and reads it with its own reader and converter (neither is
// shared). The walk, entering a folder, takes its listing when a worker has read it, waits while
// one reads it, and reads it itself when none has started, or when the folder a worker read is not
// the one the walk entered (replaced in between), or sits on another device (a mount point: the
// walk judges it).
//
// Bounds: the workers hold at most kMostAhead listings the walk has not taken, and at most
// AheadReading::most_ahead_bytes of their storage (memory), waiting beyond; and at most a share
// of descriptors beside the walk's: a folder listed beyond the share keeps no descriptor for its
// subfolders, which the walk offers when it takes its listing.
#pragma once

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/posix/listing.h"
#include "platform/walk_rules.h"

// How a listing is read: every worker reads as the walk would.
struct AheadReading {
  bool with_info = false;
  bool with_files = true;
  bool with_kinds = false;
  bool with_targets = false;
  bool links_themselves = false;
  bool with_own = false;
  bool is_utf8 = false;
  bool is_native_kept = false;
  bool dot_folders_wanted = true;      // else a subfolder whose name starts with "." is not offered
  size_t depth_limit = SIZE_MAX;       // no subfolder this deep is offered (the root is 0)
  size_t most_ahead_bytes = SIZE_MAX;  // the storage of the listings held ahead, at most
};

struct AheadFolder;
struct AheadDescriptor;

// A folder's place among the folders offered. One a worker reads keeps its place for its
// subfolders, marked, so that the search for the first folder nobody reads yet steps over it
// without touching the folder's shared count, a line every thread writes.
struct AheadPlace {
  std::weak_ptr<AheadFolder> folder;
  bool is_listing = false;
};

// The workers that may read at once, `limit` until now: doubled while the walk reads from the
// disk, which answers many requests at once, and halved while every folder comes from the cache,
// where more threads than processors would only take turns on them. Always from `least` to
// `most`.
size_t SteeredLimit(size_t limit, size_t least, size_t most, bool read_from_disk);

// Whether a step of the walk that read `blocks` from the disk and listed `folders` read from the
// disk as a cold walk does: a block or more for each folder. A cold walk here reads some ten; a
// warm one reads now and then a few blocks that the machine let go, then fewer than one for every
// ten folders, and more workers would only take turns on the processors.
bool ReadsFromDisk(uint64_t blocks, uint64_t folders);

class ReadAhead {
 public:
  // The listings, and their storage where the chart keeps the whole tree anyway, held ahead. A
  // cold walk waits long for the folder next in its order, and the workers must read on
  // meanwhile: with 1,024 listings and 4 MiB they filled the window and waited too, some 20,000
  // times a run, and the disk had less to read. 4,096 and 8 MiB took the cold full chart from
  // 7.9 s to 6.9 s here, for 1 to 2 MB more warm and up to 10 MB cold; 1 MiB slowed the whole
  // chart by a twentieth. Where the chart is written as the walk goes, 4 MiB took its memory to
  // 18 MB.
  static constexpr size_t kMostAhead = 4096;
  static constexpr size_t kMostAheadBytes = 8 * 1024 * 1024;
  static constexpr size_t kMostAheadBytesStreamed = 1024 * 1024;
  static constexpr size_t kWorkerStackBytes = 1024 * 1024;

  // Starts `threads` workers, which may hold `descriptors` descriptors between them; `pause`, if
  // set, is called before each folder a worker lists, or the walk as one (tests delay them with
  // it). All of them read at once until SetSteered says otherwise.
  ReadAhead(size_t threads, int64_t utc_offset_seconds, size_t descriptors,
            std::function<void()> pause);
  ~ReadAhead();  // stops and joins every worker
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // How folders are read from now on.
  void SetReading(const AheadReading& reading);
  // With `is_steered`, as many workers read at once as there are processors, and more while the
  // walk reads from the disk (see Steer); else all of them.
  void SetSteered(bool is_steered);
  // A node for a folder the walk entered at `depth` with none prepared, to offer its subfolders
  // from.
  std::shared_ptr<AheadFolder> NewEntered(size_t depth);
  // The node of subfolder `index` of the folder of `parent`; null when none was offered.
  std::shared_ptr<AheadFolder> FindSubfolder(const AheadFolder& parent, size_t index) const;
  // True when a worker has read `folder` with `with_info`, waiting while one reads it; its
  // identity then is the folder's as the worker's descriptor told it.
  bool IsReady(AheadFolder& folder, bool with_info, FolderIdentity& identity);
  // False when the walk must offer the subfolders of `folder` itself.
  bool HasOffered(const AheadFolder& folder) const;
  // Takes the listing a worker read of `folder` into `listing`, waiting while one reads it, when
  // it was read as `identity` with `with_info`. False when the walk must read it itself.
  bool TakeListing(AheadFolder& folder, const FolderIdentity& identity, bool with_info,
                   FolderListing& listing);
  // Offers the subfolders in `listing`, the folder of `folder` open as `fd` on `volume`, unless
  // they were offered already.
  void OfferSubfolders(AheadFolder& folder, const FolderListing& listing, int fd, uint64_t volume);
  // Lets go of the folder left and of everything prepared below it.
  void Drop(std::shared_ptr<AheadFolder> folder);
  // Notes a folder the walk read itself, for the counts below.
  void NoteListed(const FolderListing& listing) {
    Steer();
    NoteListed(listing, counts_[0]);
  }
  // Folders and files read so far by the walk and the workers together.
  void CountListed(uint64_t& folders, uint64_t& files) const;

 private:
  friend struct AheadFolder;
  friend struct AheadDescriptor;
  struct Worker;
  // Subfolders to offer, each with its place among the folders offered made ahead, so that the
  // lock is held only to link them in.
  struct Offers {
    std::vector<std::shared_ptr<AheadFolder>> folders;  // by index
    std::list<AheadPlace> places;
  };

  // True when a worker has read `folder`, waiting while one reads it.
  bool WaitWhileListing(AheadFolder& folder);
  void RunWorker();
  std::shared_ptr<AheadFolder> TakeFirstOffered();
  void ListFrom(std::unique_lock<std::mutex>& lock, Worker& worker,
                std::shared_ptr<AheadFolder> folder, bool& is_active);
  // Lists `folder`, taken by `worker`, and publishes it with `lock` held (locked on return);
  // returns how many subfolders it offered, for NotifyListed once `lock` is let go.
  size_t ListOne(std::unique_lock<std::mutex>& lock, Worker& worker, const AheadReading& reading,
                 AheadFolder& folder);
  void NotifyListed(size_t offered);
  // On the walk's thread: lists the first folder offered, as a worker would. False when there is
  // none, or the window is full.
  bool ListNextOffered();
  bool ListAhead(Worker& worker, const AheadReading& reading, AheadFolder& folder,
                 Offers& subfolders);
  Offers MakeSubfolders(const AheadFolder& parent, const FolderListing& listing,
                        const std::shared_ptr<AheadDescriptor>& base, uint64_t volume,
                        const AheadReading& reading);
  // Hands the subfolders to their parent and to the workers, in the walk's order; returns how
  // many.
  size_t PublishLocked(AheadFolder& folder, Offers subfolders);
  void NotifyOffered(size_t count);
  // On the walk's thread, now and then: lets more workers read while the walk reads from the
  // disk, and fewer while it reads from the cache (see SteeredLimit).
  void Steer();
  // Keeps the storage of a listing the walk is done with for a worker's next listing, or frees
  // it when enough are kept; gives it to `listing`, which holds none yet.
  void KeepSpare(FolderListing& listing);
  void TakeSpare(FolderListing& listing);
  void DropSubfolders(AheadFolder& folder);
  // False when `most` descriptors are held already.
  bool AcquireDescriptor(size_t most);
  void ReleaseDescriptor() { open_descriptors_.fetch_sub(1); }

  const int64_t utc_offset_seconds_;
  const size_t most_descriptors_;
  const size_t most_opening_;  // the share and one for each worker to open a folder with
  const size_t worker_count_;  // asked for; fewer may have started
  const std::function<void()> pause_;
  // What one thread has read, alone on its cache line: every thread counts at every folder, and a
  // line they all wrote would go back and forth between their cores. Only its thread writes it.
  struct alignas(64) ListedCounts {
    std::atomic<uint64_t> folders{0};
    std::atomic<uint64_t> files{0};
  };
  void NoteListed(const FolderListing& listing, ListedCounts& counts);

  // Each on a line of its own, for the same reason.
  alignas(64) std::atomic<size_t> open_descriptors_{0};
  // Listed or being listed and not yet taken, and the storage of those listed.
  struct Window {
    std::atomic<size_t> listings{0};
    std::atomic<size_t> bytes{0};
    std::atomic<size_t> most_bytes{SIZE_MAX};
    bool IsFull() const {
      return listings.load() >= kMostAhead || bytes.load() >= most_bytes.load();
    }
  };
  alignas(64) Window window_;
  std::unique_ptr<ListedCounts[]> counts_;  // the walk's, then one for each worker
  std::atomic<size_t> next_counts_{1};      // the next worker's

  // Guards what follows and every node's state and subfolders.
  alignas(64) mutable std::mutex mutex_;
  std::condition_variable work_offered_;
  std::condition_variable folder_done_;
  // The folders offered and not yet taken, in the walk's order: the workers read the first.
  std::list<AheadPlace> pending_;
  uint64_t offers_ = 0;  // how many times folders were offered
  AheadReading reading_;
  bool is_stopping_ = false;
  std::vector<pthread_t> threads_;
  std::unique_ptr<Worker> walk_worker_;  // the walk's, made when it first lists as a worker
  // The workers that may read at once, and those that hold a place among them; the rest sleep
  // on `more_wanted_`, so that a new folder never wakes one only for it to sleep again.
  size_t active_limit_;
  size_t active_workers_ = 0;
  std::condition_variable more_wanted_;

  // The walk's own: the fewest that read at once, when it steered last, and the blocks read from
  // the disk and the folders listed by then.
  size_t least_active_;
  int64_t steered_at_us_ = 0;
  long blocks_read_ = 0;
  uint64_t folders_listed_ = 0;

  // Listings the walk has taken, kept for the workers to read into: else each listing's storage
  // would be allocated on a worker and freed on the walk's thread, each time a trip through the
  // shared arenas' locks. A few suffice, as the walk takes them as fast as they are read.
  static constexpr size_t kMostSpare = 16;
  alignas(64) std::mutex spare_mutex_;
  std::vector<FolderListing> spare_listings_;
};
